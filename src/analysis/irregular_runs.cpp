#include "analysis/irregular_runs.h"

#include "core/format.h"

#include <algorithm>
#include <iterator>

namespace tvx {

namespace {

bool Joins(const IrregularRun& before, const IrregularRun& after) {
    return before.status == after.status && std::int64_t{before.last} + 1 == after.first;
}

}  // namespace

void IrregularRuns::Add(std::int32_t index, BlockStatus status, std::int64_t startMs,
                        std::int64_t endMs) {
    Add(IrregularRun{index, index, status, startMs, endMs});
}

std::size_t IrregularRuns::Add(const IrregularRun& records) {
    m_records += static_cast<std::uint64_t>(std::int64_t{records.last} - records.first + 1);
    // In scan order every record lands at the end; only a seek back searches.
    auto next = m_runs.empty() || m_runs.back().last < records.first
                    ? m_runs.end()
                    : std::upper_bound(m_runs.begin(), m_runs.end(), records.first,
                                       [](std::int32_t first, const IrregularRun& run) {
                                           return first < run.first;
                                       });
    const auto at = static_cast<std::size_t>(std::distance(m_runs.begin(), next));
    if (at > 0 && Joins(m_runs[at - 1], records)) {
        IrregularRun& run = m_runs[at - 1];
        run.last = records.last;
        run.endMs = records.endMs;
        if (at < m_runs.size() && Joins(run, m_runs[at])) {   // the gap between two closed
            run.last = m_runs[at].last;
            run.endMs = m_runs[at].endMs;
            m_runs.erase(next);
        }
        return at - 1;
    }
    if (at < m_runs.size() && Joins(records, m_runs[at])) {
        m_runs[at].first = records.first;
        m_runs[at].startMs = records.startMs;
        return at;
    }
    m_runs.insert(next, records);
    return at;
}

std::string CauseWords(BlockStatus status) {
    const std::pair<BlockStatus, const char*> kCauses[] = {
        {kUnitIdError, "Unit ID"},
        {kFileNumberError, "File Number"},
        {kBlockOrderError | kTimestampError, "Sequence / Timing"},
        {kChecksumError, "CheckSum"},
        {kVoiceImageError, "Voice CheckSum"},
    };
    std::string words;
    for (const auto& [bits, word] : kCauses)
        if (status & bits)
            words += (words.empty() ? "" : ", ") + std::string(word);
    return words;
}

std::string RunBlocksText(const IrregularRun& run) {
    const char* what = run.first < 0 ? "header record" : "block";
    if (run.first == run.last)
        return Format("%s %ld", what, static_cast<long>(run.first));
    return Format("%ss %ld-%ld", what, static_cast<long>(run.first), static_cast<long>(run.last));
}

bool RunWalk::Anchored(const std::vector<IrregularRun>& runs, std::int64_t playedMs) const {
    if (!m_at || *m_at >= runs.size())
        return false;
    return *m_at + 1 == runs.size() || playedMs < runs[*m_at + 1].startMs;
}

std::optional<std::size_t> RunWalk::Take(std::optional<std::size_t> run) {
    if (run)
        m_at = run;
    return run;
}

std::optional<std::size_t> RunWalk::Next(const std::vector<IrregularRun>& runs,
                                         std::int64_t playedMs) {
    if (Anchored(runs, playedMs))
        return *m_at + 1 < runs.size() ? Take(*m_at + 1) : std::nullopt;
    // A run that starts right where playback stands is still ahead of the examiner.
    const auto found = std::find_if(runs.begin(), runs.end(), [playedMs](const IrregularRun& r) {
        return r.startMs >= playedMs;
    });
    if (found == runs.end())
        return std::nullopt;
    return Take(static_cast<std::size_t>(std::distance(runs.begin(), found)));
}

std::optional<std::size_t> RunWalk::Previous(const std::vector<IrregularRun>& runs,
                                             std::int64_t playedMs) {
    if (Anchored(runs, playedMs))
        return *m_at > 0 ? Take(*m_at - 1) : std::nullopt;
    const auto found = std::find_if(runs.rbegin(), runs.rend(), [playedMs](const IrregularRun& r) {
        return r.startMs < playedMs;
    });
    if (found == runs.rend())
        return std::nullopt;
    return Take(static_cast<std::size_t>(std::distance(found, runs.rend())) - 1);
}

}  // namespace tvx

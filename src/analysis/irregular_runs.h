#pragma once

#include "core/block_status.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tvx {

// Consecutive irregular records with one and the same status.
struct IrregularRun {
    std::int32_t first;     // index of the first record; header records are negative
    std::int32_t last;
    BlockStatus status;
    std::int64_t startMs;   // where the first record starts in the recording
    std::int64_t endMs;     // where the last one ends
};

// The irregular records of a scan, kept as runs while the verdicts arrive: a wholly damaged
// image of millions of blocks costs a handful of entries, not one per block.
class IrregularRuns {
public:
    void Add(std::int32_t index, BlockStatus status, std::int64_t startMs, std::int64_t endMs);
    // Records that arrive out of order (playback seeks back) go where their index belongs,
    // joining a neighbour of their status. Returns the position of the run that holds them.
    std::size_t Add(const IrregularRun& records);

    const std::vector<IrregularRun>& Runs() const { return m_runs; }
    std::uint64_t Records() const { return m_records; }
    bool Empty() const { return m_runs.empty(); }

private:
    std::vector<IrregularRun> m_runs;
    std::uint64_t m_records = 0;
};

// The causes of an irregular status in the words of the "Irregular Packets:" counts, joined by
// ", ": "Unit ID", "File Number", "Sequence / Timing", "CheckSum", and "Voice CheckSum" for a
// break in an IMG image's voice chain.
std::string CauseWords(BlockStatus status);

// Which records a run covers: "block 900", "blocks 900-901", "header record -1".
std::string RunBlocksText(const IrregularRun& run);

// Where the examiner's next and previous irregular run lie from where playback stands (N and P
// in the window). The run last stepped to stays the reference until playback reaches the run
// after it: playback moves on from a run's start at once, and P must still walk back past it.
// Runs are in the order of their records and may grow at the end while a scan goes on.
class RunWalk {
public:
    std::optional<std::size_t> Next(const std::vector<IrregularRun>& runs, std::int64_t playedMs);
    std::optional<std::size_t> Previous(const std::vector<IrregularRun>& runs, std::int64_t playedMs);
    // The examiner went to a run another way (the table of runs).
    void StandAt(std::size_t run) { m_at = run; }
    // The examiner went elsewhere (a click, a stop, a new scan): walk from where playback stands.
    void Forget() { m_at.reset(); }

private:
    bool Anchored(const std::vector<IrregularRun>& runs, std::int64_t playedMs) const;
    std::optional<std::size_t> Take(std::optional<std::size_t> run);

    std::optional<std::size_t> m_at;   // the run last stepped to
};

}  // namespace tvx

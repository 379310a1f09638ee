#pragma once

#include "analysis/irregular_runs.h"
#include "analysis/strip_states.h"
#include "core/block_status.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace tvx {

// The irregular records a tally counted since it was last asked.
struct IrregularNews {
    bool restarted = false;   // a new run or image since: what was taken before is void
    IrregularRuns runs;       // in record order; the tally knows no times (all 0)
};

// A copy of the tally's counters at one moment.
struct TallyCounts {
    std::int32_t unitIdErrors = 0;
    std::int32_t fileNumberErrors = 0;
    std::int32_t sequenceErrors = 0;     // block order or timestamp, once per block
    std::int32_t checksumErrors = 0;
    std::int32_t verifiedBlocks = 0;
    std::int32_t irregularBlocks = 0;
};

// The four durations of "Authentication Results:", in milliseconds.
struct AuthDurations {
    std::int64_t durationMs = 0;
    std::int64_t verifiedMs = 0;
    std::int64_t irregularMs = 0;
    std::int64_t unauthenticatedMs = 0;
};

// The block callback's bookkeeping: marks each verdict in the strip and counts a record the
// first time it is marked. Runs on a reader's worker; everything it writes is an atomic, so
// the window's timers (or a report) may read while it counts.
class AuthTally {
public:
    // Colour values of the status line, as the window paints them (0x00BBGGRR).
    static constexpr std::uint32_t kStatusRed = 0x0000FF;
    static constexpr std::uint32_t kStatusGreen = 0x00C400;

    // extra: slots for the header records (1 for IM2).
    bool Allocate(std::uint32_t blocks, std::uint32_t extra) {
        Restart();
        return m_strip.Allocate(blocks, extra);
    }
    // Before a new run: the strip back to not judged, every counter to 0.
    void Reset();

    // One verdict; true when it was counted (the record's first verdict of this run).
    bool OnBlockResult(std::int32_t index, BlockStatus status);

    TallyCounts GetCounts() const;
    // Any thread: the counted irregular records with their statuses, for a list of the runs.
    IrregularNews TakeIrregular();
    const StripStates& GetStrip() const { return m_strip; }
    std::uint32_t GetStatusColour() const { return m_statusColour.load(); }
    bool IsStatusEnabled() const { return (m_statusEnabled.load() & 1u) != 0; }
    // Counts every time a verdict set the line bright or grey, also to what it already was:
    // the window replays each such write, so an irregular block re-lights a line that the
    // window itself greyed (a pause, the end of a run) even when the tally's value stands.
    std::uint32_t StatusEnableWrites() const { return m_statusEnabled.load() >> 1; }

private:
    void CountIrregular(BlockStatus status);
    void CountRegular(BlockStatus status);
    void SetStatusEnabled(bool enabled);
    void Restart();

    StripStates m_strip;
    std::atomic<std::int32_t> m_nUnitIdErrors{0};
    std::atomic<std::int32_t> m_nFileNumberErrors{0};
    std::atomic<std::int32_t> m_nSequenceErrors{0};
    std::atomic<std::int32_t> m_nChecksumErrors{0};
    std::atomic<std::int32_t> m_nVerifiedBlocks{0};
    std::atomic<std::int32_t> m_nIrregularBlocks{0};
    std::atomic<std::uint8_t> m_blink{0};   // consecutive regular blocks, blinks the status line
    std::atomic<std::uint32_t> m_statusColour{kStatusGreen};
    std::atomic<std::uint32_t> m_statusEnabled{0};   // writes << 1 | bright, in one word
    // Irregular records are few next to the rest, so only they take this lock.
    std::mutex m_newsLock;
    IrregularNews m_news;
};

// Verified, Irregularities and Unauthenticated from the counters, with the reader's
// block-to-milliseconds conversion; total is the image's stated block count.
template <typename BlocksToMsFn>
AuthDurations ComputeDurations(const TallyCounts& c, std::uint64_t total, std::int64_t statedMs,
                               BlocksToMsFn blocksToMs) {
    const std::int64_t judged = std::int64_t{c.verifiedBlocks} + c.irregularBlocks;
    const std::int64_t rest = std::max<std::int64_t>(static_cast<std::int64_t>(total) - judged, 0);
    return {statedMs, blocksToMs(static_cast<std::uint64_t>(c.verifiedBlocks)),
            blocksToMs(static_cast<std::uint64_t>(c.irregularBlocks)),
            blocksToMs(static_cast<std::uint64_t>(rest))};
}

}  // namespace tvx

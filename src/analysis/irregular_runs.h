#pragma once

#include "core/block_status.h"

#include <cstdint>
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

    const std::vector<IrregularRun>& Runs() const { return m_runs; }
    std::uint64_t Records() const { return m_records; }
    bool Empty() const { return m_runs.empty(); }

private:
    std::vector<IrregularRun> m_runs;
    std::uint64_t m_records = 0;
};

}  // namespace tvx

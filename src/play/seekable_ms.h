#pragma once

#include <cstdint>

namespace tvx {

// The latest time at or before `ms` that `blockAt` rounds to a block no later than
// `lastBlock`: a time in the last half of the last block rounds to the block past it, whose
// seek the reader drops, and playing would go on from where it was.
template <typename BlockAt>
std::int64_t LatestSeekableMs(std::int64_t ms, std::int64_t lastBlock, BlockAt blockAt) {
    if (lastBlock < 0 || blockAt(ms) <= lastBlock)
        return ms;
    std::int64_t lo = 0;
    std::int64_t hi = ms;
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo + 1) / 2;
        if (blockAt(mid) <= lastBlock)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

}  // namespace tvx

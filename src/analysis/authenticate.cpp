#include "analysis/authenticate.h"

#include "core/string_table.h"

#include <algorithm>
#include <limits>

namespace tvx {

Error OutOfMemoryError(const std::string& path) {
    return {Cause::Io, 0, path, 0, LoadString(152)};
}

int ProgressValue(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<int>::max()));
}

VerdictFacts VerdictOf(const AuthReport& r) {
    const bool wholeLength = r.isIx2 ? r.wholeSplit : r.complete;
    const std::int32_t verified = std::max(r.counts.verifiedBlocks, 0);
    return {.structureSound = r.headerOk,
            .exactLength = wholeLength && r.excessBytes == 0,
            .ranToEnd = !r.cancelled,
            .blocksToJudge = r.isIx2 ? r.splitBlocks : r.statedBlocks,
            .authenticBlocks = static_cast<std::uint64_t>(verified),
            .irregularRecords = r.irregular.Records(),
            .voiceChecksumErrors = r.voiceChecksumErrors};
}

}  // namespace tvx

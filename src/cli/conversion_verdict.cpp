#include "cli/conversion_verdict.h"

#include "analysis/verdict.h"

namespace tvx::cli {

bool IsAuthenticConversion(const SourceShape& shape, const ConvertResult& result) {
    const std::uint64_t judged = result.irregularBlocks + result.unjudgedBlocks;
    const std::uint64_t regular = result.blocks > judged ? result.blocks - judged : 0;
    return IsAuthentic({.structureSound = shape.structureSound,
                        .exactLength = shape.exactLength,
                        .ranToEnd = result.outcome == ConvertOutcome::Completed,
                        .blocksToJudge = shape.blocks,
                        .authenticBlocks = regular,
                        .irregularRecords = result.irregularBlocks});
}

}  // namespace tvx::cli

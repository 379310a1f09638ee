#include "analysis/verdict.h"

#include "core/block_record.h"

namespace tvx {

bool IsAuthentic(const VerdictFacts& f) {
    return f.structureSound && f.exactLength && f.ranToEnd && f.blocksToJudge > 0 &&
           f.authenticBlocks == f.blocksToJudge && f.irregularRecords == 0 &&
           f.voiceChecksumErrors == 0;
}

std::uint64_t ExcessBytes(std::uint64_t fileLength, std::uint64_t expected, std::uint64_t recordsFrom) {
    if (fileLength >= expected)
        return fileLength - expected;
    return fileLength < recordsFrom ? 0 : (fileLength - recordsFrom) % kRecordSize;
}

}  // namespace tvx

#include "analysis/verdict.h"

#include "core/block_record.h"
#include "formats/ix2/ix2.h"

namespace tvx {

bool IsAuthentic(const VerdictFacts& f) {
    return f.structureSound && f.exactLength && f.ranToEnd && f.blocksToJudge > 0 &&
           f.authenticBlocks == f.blocksToJudge && f.irregularRecords == 0 &&
           f.voiceChecksumErrors == 0;
}

namespace {

// Whatever lies past `expected`; a file shorter than that is short of blocks, which the
// block counts tell, so only a cut record at its end counts here.
std::uint64_t Excess(std::uint64_t fileLength, std::uint64_t expected, std::uint64_t recordsFrom) {
    if (fileLength >= expected)
        return fileLength - expected;
    return fileLength < recordsFrom ? 0 : (fileLength - recordsFrom) % kRecordSize;
}

}  // namespace

std::uint64_t Im2ExcessBytes(std::uint64_t fileLength, std::uint32_t statedBlocks) {
    return Excess(fileLength, (std::uint64_t{statedBlocks} + 1) * kRecordSize, 0);
}

std::uint64_t Ix2ExcessBytes(std::uint64_t fileLength, std::uint64_t splitBlocks, bool chain) {
    const std::uint64_t stored =
        chain ? (splitBlocks * kRecordSize + kPayloadSize - 1) / kPayloadSize : splitBlocks;
    return Excess(fileLength, kIx2DataStart + stored * kRecordSize, kIx2Preamble);
}

std::uint64_t ImgExcessBytes(std::uint64_t fileLength) { return fileLength % kRecordSize; }

}  // namespace tvx

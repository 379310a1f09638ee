#pragma once

#include <cstdint>

namespace tvx {

// What an overall verdict on an image rests on, whichever pass judged its blocks: the
// authentication scan or a conversion.
struct VerdictFacts {
    bool structureSound = false;   // the header or the index blocks are sound
    bool exactLength = false;      // the file holds exactly the blocks it states, nothing past them
    bool ranToEnd = false;         // neither cancelled nor cut off by a read failure
    std::uint64_t blocksToJudge = 0;
    std::uint64_t authenticBlocks = 0;      // judged and found regular
    std::uint64_t irregularRecords = 0;     // header or index records included
    std::uint64_t voiceChecksumErrors = 0;  // IMG: breaks in the voice-image checksum chain
};

// Authentic means every byte the image should hold was judged and found authentic.
bool IsAuthentic(const VerdictFacts& facts);

// Bytes a file holds beyond what its stated blocks fill, or a cut record at its end. An IM2
// file is its header and the stated records.
std::uint64_t Im2ExcessBytes(std::uint64_t fileLength, std::uint32_t statedBlocks);
// An IX2 file is its header region and the split's blocks; a chain stores them in as few outer
// blocks as they fit, the last one padded.
std::uint64_t Ix2ExcessBytes(std::uint64_t fileLength, std::uint64_t splitBlocks, bool chain);
// An IMG image ends in whole records (its erased tail included).
std::uint64_t ImgExcessBytes(std::uint64_t fileLength);

}  // namespace tvx

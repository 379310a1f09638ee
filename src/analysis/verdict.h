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

// Bytes a file holds past the `expected` length its stated blocks fill. A file shorter than
// that is short of blocks, which the block counts tell, so only a cut record at its end counts
// (records counted from byte `recordsFrom`).
std::uint64_t ExcessBytes(std::uint64_t fileLength, std::uint64_t expected, std::uint64_t recordsFrom);

}  // namespace tvx

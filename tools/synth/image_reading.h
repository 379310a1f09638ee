#pragma once

#include "core/block_status.h"
#include "formats/im2/im2.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tvx::synth {

// What the core makes of an image held in memory, read the way the reader's scan reads a file:
// the header into a CIm2, then every whole data record through CheckBlock and NextBlock.
struct ImageVerdict {
    bool headerBad = false;
    BlockStatus header = 0;                  // CheckRecord in header mode
    std::vector<BlockStatus> blocks;         // CheckBlock of each whole data record
    std::uint32_t fileBlocks = 0;
    bool complete = false;
};
ImageVerdict JudgeImage(std::span<const std::uint8_t> image);

// The image's header loaded into `im2` (InitFromHeader, m_bHeaderBad, SetFileLength).
void LoadHeader(CIm2& im2, std::span<const std::uint8_t> image);

// Every whole data record decoded in turn with `gain`; the decoded bytes are appended to out
// and each record's Decode status to statuses (when given).
void DecodeImage(std::span<const std::uint8_t> image, std::vector<std::uint8_t>& out,
                 std::vector<BlockStatus>* statuses = nullptr, double gain = 1.0);

}  // namespace tvx::synth

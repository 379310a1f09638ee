#pragma once

#include "core/block_record.h"
#include "core/error.h"
#include "core/hooks.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tvx {

// The overview waveform of an image: one peak-to-peak value per column, in 16-bit sample
// units (0..65535), for each channel.
struct Peaks {
    std::vector<std::uint16_t> peak1;
    std::vector<std::uint16_t> peak2;   // empty for one channel
    int channels = 0;                   // 1 or 2; 0 when nothing was set
    std::uint16_t columnsDone = 0;      // columns computed before the end or Cancel
    std::uint16_t width = 0;            // columns asked for
    std::uint32_t blocks = 0;           // the image's block count, the strip's length; 0 on failure
    bool cancelled = false;
};

// Where the blocks of an image come from, whatever its format: their count, their sample
// format and block j decoded. Each format's home opens its own.
class BlockSource {
public:
    virtual ~BlockSource() = default;
    virtual std::uint32_t Blocks() const = 0;
    virtual int OutputBits() const = 0;
    virtual int Channels() const = 0;
    // Decodes block j into out; false when the file has no whole record for it. Throws
    // CFileException.
    virtual bool Decode(std::uint64_t j, std::array<std::uint8_t, kMaxDecodedBytes>& out,
                        std::uint16_t& count) = 0;
};
using OpenedBlocks = Result<std::unique_ptr<BlockSource>>;

// One decoded block per column, spread evenly over the image (a short image gives several
// columns the same block). The shell's hooks get the range, the progress, one message pump
// per column and Cancel; a source that could not be opened is told through Notice as the
// file at `path`, and then blocks is 0. Reads `width` blocks, never the whole file.
Peaks BuildPeaks(const std::string& path, OpenedBlocks source, std::uint16_t width, Hooks& hooks);

// The extremes of one decoded block: 16-bit output as signed samples, 8-bit as (byte - 128)
// x 256, channels interleaved first to last.
struct BlockPeaks {
    std::uint16_t peak1 = 0;
    std::uint16_t peak2 = 0;
};
BlockPeaks PeaksOfBlock(const std::uint8_t* bytes, std::size_t count, int outputBits,
                        int channels);

}  // namespace tvx

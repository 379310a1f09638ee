#pragma once

#include "core/error.h"
#include "core/file64.h"
#include "formats/im2/im2.h"

#include <array>
#include <cstdint>
#include <memory>

namespace tvx {

// The read error code of a read that found the end of the file.
inline constexpr std::uint32_t kReadEndOfFile = 38;

struct DecodedBlock {
    // A constructor of our own, so that a vector of them does not zero the bytes first: only
    // the first `count` are ever read, and the read-ahead ring holds a thousand blocks.
    DecodedBlock() {}

    std::array<std::uint8_t, kMaxDecodedBytes> bytes;
    std::uint16_t count = 0;
    BlockStatus status = 0;
    std::uint32_t blockIndex = 0;   // as the record carries it
};

// What one 528-byte read of the conversion loop gave: a decoded block, a cut record that
// is never decoded, or the end (of the file, or of a failed read).
struct BlockRead {
    enum class Kind { Block, Partial, End };
    Kind kind = Kind::End;
    const DecodedBlock* block = nullptr;   // valid until the next Next()
    std::uint32_t readError = kReadEndOfFile;
    Error error;                           // the failed read, when readError is not kReadEndOfFile
};

// Decodes `count` whole records that lie one after another from `records`, the first at block
// order `first`, into out: eight side by side where they carry one 4-bit code the processor
// decodes in lanes, else one at a time. image is left holding the last, at its block order.
void DecodeRun(CIm2& image, std::uint32_t first, const std::uint8_t* records, std::size_t count,
               DecodedBlock* out);

// The data records of an IM2 image in order, each decoded against the header's reference
// state with the block order the loop expects (0, 1, 2, ...).
class Im2BlockSource {
public:
    virtual ~Im2BlockSource() = default;
    virtual BlockRead Next() = 0;
};

// Reads and decodes one record per Next() on the caller's thread. file stands at the first
// data record; image holds the header's state.
std::unique_ptr<Im2BlockSource> MakeSequentialSource(CFile64& file, const CIm2& image);

// Reads large pieces and decodes up to `blocks` records ahead on one worker thread, the
// caller's thread decoding a piece itself (through its own read-only handle) rather than
// wait; Next() gives exactly what the sequential source would. The worker owns `file` until
// the source is destroyed. Falls back to the sequential source when no thread can start.
std::unique_ptr<Im2BlockSource> MakeReadAheadSource(CFile64& file, const CIm2& image,
                                                    std::uint64_t blocks);

}  // namespace tvx

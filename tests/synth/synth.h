#pragma once

// The image synthesizer: deterministic IM2 images for tests, benchmarks and the demo.
// Audio comes from a fixed signal, coded by analysis-by-synthesis against the decoder's own
// steps, enciphered so that an untouched image authenticates cleanly.

#include "core/block_record.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tvx::synth {

inline constexpr std::uint32_t kDefaultTimestamp = PackTimestamp({2008, 3, 14, 9, 26, 53});

struct Im2Options {
    int storedBits = 16;                  // 4, 8 or 16
    int channels = 1;                     // 1 or 2
    int rateCode = 0;                     // FormatByte bits 0-1: 8000, 11025, 16000, 22050
    std::uint8_t modelCode = 4;           // picks the compression through the model table
    std::uint16_t unitNumber = 4242;
    std::uint16_t fileNumber = 12;
    std::uint32_t timestamp = kDefaultTimestamp;
    std::uint32_t blocks = 20;            // data records written
    std::int64_t statedBlocks = -1;       // header BlockIndex + 1; -1 means `blocks`
    std::uint32_t seed = 1;               // varies the signal
};

enum class FaultKind {
    PayloadByte,     // flip one enciphered payload byte of `block`
    UnitNumber,      // another unit number in `block` (sums resealed)
    FileNumber,      // another file number in `block` (sums resealed)
    BlockOrder,      // swap the records `block` and `block + 1`
    Timestamp,       // another valid timestamp in `block` (sums resealed)
    BadHeader,       // the header's checksum broken
    TruncateLast,    // cut the last record short (keeps `block` bytes of it, default 100)
};

struct Fault {
    FaultKind kind;
    std::uint32_t block = 0;
};

// Plain payload and trailer fields in, an enciphered record with both sums out.
struct TrailerFields {
    std::uint16_t fileNumber = 12;
    std::uint16_t unitNumber = 4242;
    std::uint32_t timestamp = kDefaultTimestamp;
    std::uint32_t blockIndex = 0;
    std::uint8_t formatByte = 0;
    std::uint8_t modelCode = 4;
};
Record SealRecord(std::span<const std::uint8_t, kPayloadSize> plain, const TrailerFields& t);

// Sets both sums of a record whose bytes are already enciphered (after a trailer change the
// payload must be re-enciphered: use SealRecord on the plain bytes instead).
void ResealSums(Record& record);

std::uint8_t FormatByteFor(const Im2Options& options);

// The signal the synthesizer codes, as 16-bit samples interleaved by channel, for the
// sample positions of `options` starting at `firstSample` per channel.
std::vector<std::int16_t> Signal(const Im2Options& options, std::uint64_t firstSample,
                                 std::size_t samplesPerChannel);

// A whole image in memory, faults applied.
std::vector<std::uint8_t> MakeIm2(const Im2Options& options, std::span<const Fault> faults = {});

// The same image streamed to a file (for images of gigabytes); returns false on a write error.
bool WriteIm2File(const std::string& path, const Im2Options& options,
                  std::span<const Fault> faults = {});

bool WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace tvx::synth

#pragma once

// The image synthesizer: deterministic IM2 images for tests, benchmarks and the demo.
// Audio comes from a fixed signal, coded by analysis-by-synthesis against the decoder's own
// steps, enciphered so that an untouched image authenticates cleanly.

#include "core/block_record.h"
#include "core/sample_codecs.h"

#include <cstdint>
#include <optional>
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

// Faults name file positions: data record `block` (0 is the first after the header), whatever
// record a BlockOrder swap put there. Swaps apply in the order given; the same fault twice on a
// record counts once; a fault past the last record is ignored. TruncateLast with `block` 0
// keeps 100 bytes, and at most 527.
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

// The first model code in the table with this compression (5 gives 37); none gives 3.
std::optional<std::uint8_t> ModelCodeForCompression(int compression);

// The format as the decoder will see it after InitFromHeader: compression 31 forces 8 kHz mono
// plain 8-bit whatever the options say, so images of it carry that.
struct Layout {
    int storedBits = 16;
    int outputBits = 16;
    int channels = 1;
    int sampleRate = 8000;
    int compression = 4;
    codec::Variant variant = codec::Variant::Pcm16;
    std::size_t samplesPerChannel = 256;  // decoded from one data record
};
Layout LayoutOf(const Im2Options& options);

// One option set per decoder variant the model table can reach, mono and stereo: stored width
// 16; 8 with compression 5, 31, 6 and 4; 4 with compression 5, 4 and 6. No model code gives
// compression 3, so its variant never comes out of Decode.
struct NamedOptions {
    std::string name;
    Im2Options options;
};
std::vector<NamedOptions> EveryVariant(std::uint32_t blocks = 8);

// The 8-bit rendering of a 16-bit sample that plain 8-bit and 8-bit-output codes aim at.
constexpr std::uint8_t To8Bit(std::int16_t sample) {
    return static_cast<std::uint8_t>((sample >> 8) + 128);
}

// The signal the synthesizer codes, as 16-bit samples interleaved by the layout's channels,
// for the sample positions of `options` starting at `firstSample` per channel. Each channel is
// a sum of three sines and a slow sweep, their frequencies varied by the seed and the channel.
std::vector<std::int16_t> Signal(const Im2Options& options, std::uint64_t firstSample,
                                 std::size_t samplesPerChannel);

// One record of the untouched image: the header, or data record `index` (payload coded from the
// signal at index x samplesPerChannel).
Record HeaderRecord(const Im2Options& options);
Record DataRecord(const Im2Options& options, std::uint32_t index);

// Bytes of the image with these faults (only TruncateLast changes it).
std::uint64_t ImageSize(const Im2Options& options, std::span<const Fault> faults = {});

// A whole image in memory, faults applied.
std::vector<std::uint8_t> MakeIm2(const Im2Options& options, std::span<const Fault> faults = {});

// The same image streamed to a file (for images of gigabytes); returns false on a write error.
// Both writers fill a temporary file beside `path` and rename it at the end, so a half-written
// image never stands under the final name; on failure nothing is left behind.
bool WriteIm2File(const std::string& path, const Im2Options& options,
                  std::span<const Fault> faults = {});

bool WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace tvx::synth

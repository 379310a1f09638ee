#pragma once

#include "core/block_record.h"
#include "core/block_status.h"
#include "core/im2.h"
#include "synth/synth.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tvx::test {

using Plain = std::array<std::uint8_t, kPayloadSize>;

// A plain payload: the bytes given, then `fill` to the end.
Plain PlainOf(std::initializer_list<int> prefix, std::uint8_t fill);

// Options for one stored width, channel count, model code and rate code, others at defaults.
synth::Im2Options OptionsFor(int storedBits, int channels, std::uint8_t modelCode, int rateCode = 0);

// A CIm2 whose reference state comes from the header of a synthesized image of `options`.
CIm2 StateFor(const synth::Im2Options& options);

// A sealed data record of the image of `options` carrying this plain payload.
Record RecordOf(const synth::Im2Options& options, const Plain& plain, std::uint32_t index = 0);

struct Decoded {
    BlockStatus status = 0;
    std::uint16_t count = 0;
    std::array<std::uint8_t, kMaxDecodedBytes> bytes{};
    // Signed 16-bit samples for 16-bit output, the bytes themselves for 8-bit.
    std::vector<int> Values(int outputBits) const;
};
Decoded DecodeRecord(CIm2& im2, const Record& record);

}  // namespace tvx::test

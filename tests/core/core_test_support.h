#pragma once

#include "core/block_record.h"
#include "core/block_status.h"
#include "formats/im2/im2.h"
#include "synth/synth.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tvx::test {

using Plain = std::array<std::uint8_t, kPayloadSize>;

// A plain payload: the bytes given, then `fill` to the end.
inline Plain PlainOf(std::initializer_list<int> prefix, std::uint8_t fill) {
    Plain p;
    p.fill(fill);
    std::transform(prefix.begin(), prefix.end(), p.begin(), [](int b) { return static_cast<std::uint8_t>(b); });
    return p;
}

// Options for one stored width, channel count, model code and rate code, others at defaults.
inline synth::Im2Options OptionsFor(int storedBits, int channels, std::uint8_t modelCode, int rateCode = 0) {
    return {.storedBits = storedBits, .channels = channels, .rateCode = rateCode, .modelCode = modelCode};
}

// A CIm2 whose reference state comes from the header of a synthesized image of `options`.
inline CIm2 StateFor(const synth::Im2Options& options) {
    CIm2 im2;
    im2.m_block = synth::HeaderRecord(options);
    im2.InitFromHeader();
    im2.m_bHeaderBad = im2.IsHeaderBad();
    return im2;
}

// A sealed data record of the image of `options` carrying this plain payload.
inline Record RecordOf(const synth::Im2Options& options, const Plain& plain) {
    return synth::SealRecord(plain, {.fileNumber = options.fileNumber, .unitNumber = options.unitNumber,
                                     .timestamp = options.timestamp,
                                     .formatByte = synth::FormatByteFor(options),
                                     .modelCode = options.modelCode});
}

struct Decoded {
    BlockStatus status = 0;
    std::uint16_t count = 0;
    std::array<std::uint8_t, kMaxDecodedBytes> bytes{};

    // Signed 16-bit samples for 16-bit output, the bytes themselves for 8-bit.
    std::vector<int> Values(int outputBits) const {
        if (outputBits == 8)
            return {bytes.begin(), bytes.begin() + count};
        std::vector<int> samples;
        for (std::size_t i = 0; i + 1 < count; i += 2)
            samples.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
        return samples;
    }
};

inline Decoded DecodeRecord(CIm2& im2, const Record& record) {
    im2.m_block = record;
    Decoded d;
    d.status = im2.Decode(d.bytes, &d.count);
    return d;
}

}  // namespace tvx::test

#include "core_test_support.h"

namespace tvx::test {

Plain PlainOf(std::initializer_list<int> prefix, std::uint8_t fill) {
    Plain p;
    p.fill(fill);
    std::size_t i = 0;
    for (int b : prefix)
        p[i++] = static_cast<std::uint8_t>(b);
    return p;
}

synth::Im2Options OptionsFor(int storedBits, int channels, std::uint8_t modelCode, int rateCode) {
    synth::Im2Options o;
    o.storedBits = storedBits;
    o.channels = channels;
    o.modelCode = modelCode;
    o.rateCode = rateCode;
    return o;
}

CIm2 StateFor(const synth::Im2Options& options) {
    CIm2 im2;
    im2.m_block = synth::HeaderRecord(options);
    im2.InitFromHeader();
    im2.m_bHeaderBad = im2.IsHeaderBad();
    return im2;
}

Record RecordOf(const synth::Im2Options& options, const Plain& plain, std::uint32_t index) {
    return synth::SealRecord(plain, {.fileNumber = options.fileNumber,
                                     .unitNumber = options.unitNumber,
                                     .timestamp = options.timestamp,
                                     .blockIndex = index,
                                     .formatByte = synth::FormatByteFor(options),
                                     .modelCode = options.modelCode});
}

std::vector<int> Decoded::Values(int outputBits) const {
    if (outputBits == 8)
        return {bytes.begin(), bytes.begin() + count};
    std::vector<int> samples;
    for (std::size_t i = 0; i + 1 < count; i += 2)
        samples.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
    return samples;
}

Decoded DecodeRecord(CIm2& im2, const Record& record) {
    im2.m_block = record;
    Decoded d;
    d.status = im2.Decode(d.bytes, &d.count);
    return d;
}

}  // namespace tvx::test

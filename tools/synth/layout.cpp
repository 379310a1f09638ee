#include "synth/synth.h"

#include "core/model_table.h"

namespace tvx::synth {

std::uint8_t FormatByteFor(const Im2Options& options) {
    const int widthCode = options.storedBits == 4 ? 0 : options.storedBits == 8 ? 1 : 2;
    const int stereo = options.channels == 2 ? 1 : 0;
    return static_cast<std::uint8_t>((options.rateCode & 3) | widthCode << 2 | stereo << 5);
}

std::optional<std::uint8_t> ModelCodeForCompression(int compression) {
    for (int code = 0; code < 256; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        if (ModelOf(c) != 0 && CompressionOf(c) == compression)
            return c;
    }
    return std::nullopt;
}

namespace {

std::size_t SamplesPerChannel(codec::Variant variant, int channels) {
    const bool stereo = channels == 2;
    switch (variant) {
    case codec::Variant::Pcm16:
        return stereo ? 128 : 256;
    case codec::Variant::Pcm8:
        return stereo ? 256 : 512;
    case codec::Variant::Adaptive8:
    case codec::Variant::Differential8:
        // One initial 16-bit sample per channel, then a byte per sample.
        return stereo ? 255 : 511;
    case codec::Variant::Adaptive4To8:
        // One initial byte per channel, then two codes a byte.
        return stereo ? 511 : 1023;
    case codec::Variant::Code4:
        // One initial 16-bit sample per channel, then two codes a byte.
        return stereo ? 509 : 1021;
    case codec::Variant::None:
        break;
    }
    return 0;
}

}  // namespace

Layout LayoutOf(const Im2Options& options) {
    const std::uint8_t formatByte = FormatByteFor(options);
    Layout l;
    l.storedBits = StoredBitsOf(formatByte);
    l.channels = ChannelsOf(formatByte);
    l.sampleRate = SampleRateOf(formatByte);
    l.compression = CompressionOf(options.modelCode);
    if (l.compression == 31) {
        l.storedBits = 8;
        l.channels = 1;
        l.sampleRate = 8000;
    }
    l.outputBits = (l.compression == 5 || l.compression == 31) ? 8 : 16;
    l.variant = codec::VariantOf(l.storedBits, l.compression);
    l.samplesPerChannel = SamplesPerChannel(l.variant, l.channels);
    return l;
}

}  // namespace tvx::synth

namespace tvx::synth {

std::vector<NamedOptions> EveryVariant(std::uint32_t blocks) {
    struct Row {
        const char* name;
        int bits;
        std::uint8_t model;
    };
    // Rate codes differ from row to row so the format byte's rate field is exercised too.
    constexpr Row kRows[] = {
        {"pcm16", 16, 4},          {"pcm8_c5", 8, 37},        {"pcm8_c31", 8, 31},
        {"adaptive8_c6", 8, 6},    {"differential8_c4", 8, 4}, {"adaptive4to8_c5", 4, 37},
        {"step4_c4", 4, 102},      {"predictive4_c6", 4, 103},
    };
    std::vector<NamedOptions> all;
    int rate = 0;
    for (const Row& row : kRows) {
        for (int channels = 1; channels <= 2; ++channels) {
            Im2Options o;
            o.storedBits = row.bits;
            o.channels = channels;
            o.rateCode = rate++ % 4;
            o.modelCode = row.model;
            o.blocks = blocks;
            o.seed = static_cast<std::uint32_t>(all.size() + 1);
            all.push_back({std::string(row.name) + (channels == 2 ? "_stereo" : "_mono"), o});
        }
    }
    return all;
}

}  // namespace tvx::synth

// The decoded audio of a synthesized image is the synthesizer's signal, not noise.

#include "synth/image_reading.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace tvx::synth {
namespace {

// Decoded bytes back to 16-bit scale, interleaved as decoded.
std::vector<int> DecodedSamples(const std::vector<std::uint8_t>& bytes, int outputBits) {
    std::vector<int> samples;
    if (outputBits == 8) {
        for (std::uint8_t b : bytes)
            samples.push_back((b - 128) * 256);
        return samples;
    }
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        samples.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
    return samples;
}

// Signal to error ratio in dB of one channel of interleaved streams.
double ChannelSnr(const std::vector<std::int16_t>& signal, const std::vector<int>& decoded,
                  int channels, int channel) {
    double power = 0;
    double noise = 0;
    for (std::size_t i = static_cast<std::size_t>(channel); i < signal.size();
         i += static_cast<std::size_t>(channels)) {
        const double s = signal[i];
        power += s * s;
        noise += (s - decoded[i]) * (s - decoded[i]);
    }
    return noise == 0 ? 200.0 : 10.0 * std::log10(power / noise);
}

// Decodes a whole image of the variant and returns the decoded samples with the signal.
struct Decoded {
    Layout layout;
    std::vector<std::int16_t> signal;
    std::vector<int> samples;
};
Decoded DecodeVariant(const Im2Options& options) {
    Decoded d{LayoutOf(options), {}, {}};
    std::vector<std::uint8_t> bytes;
    std::vector<BlockStatus> statuses;
    DecodeImage(MakeIm2(options), bytes, &statuses);
    EXPECT_EQ(statuses, std::vector<BlockStatus>(options.blocks, 0));
    d.signal = Signal(options, 0, options.blocks * d.layout.samplesPerChannel);
    const bool wide = d.layout.variant == codec::Variant::Pcm16 || d.layout.outputBits == 16;
    d.samples = DecodedSamples(bytes, wide ? 16 : 8);
    return d;
}

TEST(SynthAudio, PlainCodesDecodeToTheSignalExactly) {
    for (const NamedOptions& v : EveryVariant(12)) {
        const Layout layout = LayoutOf(v.options);
        if (layout.variant != codec::Variant::Pcm16 && layout.variant != codec::Variant::Pcm8)
            continue;
        SCOPED_TRACE(v.name);
        const Decoded d = DecodeVariant(v.options);
        ASSERT_EQ(d.samples.size(), d.signal.size());
        for (std::size_t i = 0; i < d.signal.size(); ++i) {
            const int want = layout.variant == codec::Variant::Pcm16
                                 ? d.signal[i]
                                 : (To8Bit(d.signal[i]) - 128) * 256;
            ASSERT_EQ(d.samples[i], want) << "sample " << i;
        }
    }
}

TEST(SynthAudio, CodedVariantsFollowTheSignal) {
    // Floors sit a few dB under what the greedy coder reaches on this signal (8-bit output is
    // bounded by its own rounding near 30 dB); codes put in the wrong nibble, byte or channel
    // land near 0 dB.
    const std::map<std::string, double> kFloorDb = {
        {"adaptive8_c6", 42},     {"differential8_c4", 42}, {"adaptive4to8_c5", 22},
        {"step4_c4", 18},         {"predictive4_c6", 27},
    };
    int checked = 0;
    for (const NamedOptions& v : EveryVariant(12)) {
        const auto floor = std::find_if(kFloorDb.begin(), kFloorDb.end(), [&](const auto& f) {
            return v.name.rfind(f.first, 0) == 0;
        });
        if (floor == kFloorDb.end())
            continue;
        SCOPED_TRACE(v.name);
        const Decoded d = DecodeVariant(v.options);
        ASSERT_EQ(d.samples.size(), d.signal.size());
        for (int c = 0; c < d.layout.channels; ++c) {
            EXPECT_GT(ChannelSnr(d.signal, d.samples, d.layout.channels, c), floor->second)
                << "channel " << c;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 15);   // five variants, mono and stereo
}

TEST(SynthAudio, StereoChannelsKeepTheirOwnSignal) {
    // The right channel is drawn apart from the left, so a swapped pair shows as noise.
    Im2Options o;
    o.storedBits = 4;
    o.channels = 2;
    o.modelCode = 6;
    o.blocks = 6;
    const Decoded d = DecodeVariant(o);
    std::vector<std::int16_t> swapped(d.signal.size());
    for (std::size_t i = 0; i + 1 < d.signal.size(); i += 2) {
        swapped[i] = d.signal[i + 1];
        swapped[i + 1] = d.signal[i];
    }
    EXPECT_GT(ChannelSnr(d.signal, d.samples, 2, 0), 20);
    EXPECT_LT(ChannelSnr(swapped, d.samples, 2, 0), 3);
    EXPECT_LT(ChannelSnr(swapped, d.samples, 2, 1), 3);
}

TEST(SynthAudio, SignalIsTheSameWhereverAStretchStarts) {
    Im2Options o;
    o.channels = 2;
    o.seed = 77;
    const auto whole = Signal(o, 1000, 600);
    const auto part = Signal(o, 1250, 100);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + 500));
    o.seed = 78;
    EXPECT_NE(Signal(o, 1000, 600), whole);
}

}  // namespace
}  // namespace tvx::synth

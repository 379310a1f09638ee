#include "synth/payload_coder.h"

#include <cassert>
#include <climits>
#include <cstdlib>

namespace tvx::synth {
namespace {

using Plain = std::span<std::uint8_t, kPayloadSize>;
using Samples = std::span<const std::int16_t>;

// Analysis by synthesis: every code goes through a copy of the decoder's own step and the one
// that lands nearest the target is kept, with the state it leaves. An exact hit ends the search.
template <typename Codec, unsigned kCodes>
unsigned ChooseCode(Codec& codec, int target) {
    using Code = std::conditional_t<(kCodes > 16), std::uint8_t, unsigned>;
    Codec best = codec;
    unsigned bestCode = 0;
    int bestError = INT_MAX;
    for (unsigned code = 0; code < kCodes; ++code) {
        Codec trial = codec;
        const int error = std::abs(trial.Step(static_cast<Code>(code)) - target);
        if (error < bestError) {
            bestError = error;
            bestCode = code;
            best = trial;
            if (error == 0)
                break;
        }
    }
    codec = best;
    return bestCode;
}

// The stored initial sample whose Start output, value x scale, comes nearest the target.
int InitialFor(int target, int scale) {
    const int half = scale / 2;
    const int v = target >= 0 ? (target + half) / scale : -((-target + half) / scale);
    return std::clamp(v, -32768, 32767);
}

void StoreInitial(Plain plain, std::size_t at, int value) {
    StoreLe16(plain, at, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
}

void CodePcm16(Samples s, Plain plain) {
    for (std::size_t i = 0; i < kPayloadSize / 2; ++i)
        StoreLe16(plain, 2 * i, static_cast<std::uint16_t>(s[i]));
}

void CodePcm8(Samples s, Plain plain) {
    for (std::size_t i = 0; i < kPayloadSize; ++i)
        plain[i] = To8Bit(s[i]);
}

// One initial sample per channel at 0 (and 2), then a code byte per sample; with two channels
// even bytes are left and odd bytes right.
template <typename Codec>
void CodeBytewise(Samples s, int channels, int scale, Plain plain) {
    Codec ch[2]{};
    for (int c = 0; c < channels; ++c) {
        const int initial = InitialFor(s[static_cast<std::size_t>(c)], scale);
        StoreInitial(plain, 2 * static_cast<std::size_t>(c), initial);
        ch[c].Start(initial);
    }
    const std::size_t first = 2 * static_cast<std::size_t>(channels);
    for (std::size_t i = first; i < kPayloadSize; ++i) {
        // Byte i is frame (i - first) / channels + 1 of its channel.
        const std::size_t c = channels == 2 ? (i & 1) : 0;
        const std::size_t frame = (i - first) / static_cast<std::size_t>(channels) + 1;
        const int target = s[frame * static_cast<std::size_t>(channels) + c];
        plain[i] = static_cast<std::uint8_t>(ChooseCode<Codec, 256>(ch[c], target));
    }
}

// Two codes a byte, low half first: with one channel both belong to it in turn, with two the
// low half is left and the high half right. `target(channel, frame)` gives what to aim at.
template <typename Codec, typename Target>
void CodeNibbles(std::size_t first, int channels, Codec (&ch)[2], Plain plain, Target target) {
    std::size_t frame = 1;
    for (std::size_t i = first; i < kPayloadSize; ++i) {
        unsigned lo = 0;
        unsigned hi = 0;
        if (channels == 2) {
            lo = ChooseCode<Codec, 16>(ch[0], target(0, frame));
            hi = ChooseCode<Codec, 16>(ch[1], target(1, frame));
            ++frame;
        } else {
            lo = ChooseCode<Codec, 16>(ch[0], target(0, frame++));
            hi = ChooseCode<Codec, 16>(ch[0], target(0, frame++));
        }
        plain[i] = static_cast<std::uint8_t>(lo | hi << 4);
    }
}

void CodeAdaptive4To8(Samples s, int channels, Plain plain) {
    codec::Adaptive4To8 ch[2]{};
    for (int c = 0; c < channels; ++c) {
        const std::uint8_t first = To8Bit(s[static_cast<std::size_t>(c)]);
        plain[static_cast<std::size_t>(c)] = first;
        ch[c].Start(first);
    }
    const auto stride = static_cast<std::size_t>(channels);
    CodeNibbles(stride, channels, ch, plain, [&](std::size_t c, std::size_t frame) {
        return int{To8Bit(s[frame * stride + c])};
    });
}

template <typename Codec>
void CodeCode4(Samples s, int channels, int scale, Codec prototype, Plain plain) {
    Codec ch[2] = {prototype, prototype};
    for (int c = 0; c < channels; ++c) {
        const int initial = InitialFor(s[static_cast<std::size_t>(c)], scale);
        StoreInitial(plain, 2 * static_cast<std::size_t>(c), initial);
        ch[c].Start(initial);
    }
    const auto stride = static_cast<std::size_t>(channels);
    CodeNibbles(2 * stride, channels, ch, plain,
                [&](std::size_t c, std::size_t frame) { return int{s[frame * stride + c]}; });
}

}  // namespace

void CodePayload(const Layout& layout, Samples signal, Plain plain) {
    assert(signal.size() >= layout.samplesPerChannel * static_cast<std::size_t>(layout.channels));
    const int ch = layout.channels;
    switch (layout.variant) {
    case codec::Variant::Pcm16:
        CodePcm16(signal, plain);
        return;
    case codec::Variant::Pcm8:
        CodePcm8(signal, plain);
        return;
    case codec::Variant::Adaptive8:
        CodeBytewise<codec::Adaptive8>(signal, ch, 4, plain);
        return;
    case codec::Variant::Differential8:
        CodeBytewise<codec::Differential8>(signal, ch, 2, plain);
        return;
    case codec::Variant::Adaptive4To8:
        CodeAdaptive4To8(signal, ch, plain);
        return;
    case codec::Variant::Code4:
        switch (layout.compression) {
        case 3:
            CodeCode4(signal, ch, 2, codec::Differential4{}, plain);
            return;
        case 4:
            // Two channels share half the range, so their samples are stored at a quarter.
            CodeCode4(signal, ch, ch == 2 ? 4 : 2, codec::StepAdaptive4{.stereo = ch == 2},
                      plain);
            return;
        default:
            CodeCode4(signal, ch, 4, codec::Predictive4{}, plain);
            return;
        }
    case codec::Variant::None:
        break;
    }
    std::fill(plain.begin(), plain.end(), std::uint8_t{0});
}

}  // namespace tvx::synth

#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

// The unit's sample codes, one channel at a time. Each step returns the value that the
// decoder hands to its emitter (before the gain): the decoder and the image synthesizer's
// analysis-by-synthesis both run exactly these steps.
namespace tvx::codec {

extern const std::array<std::int16_t, 16> kDiffTable3;
extern const std::array<std::int16_t, 16> kDiffTable4;
extern const std::array<std::int8_t, 16> kStepTable16;
extern const std::array<std::int8_t, 16> kAdjustTable5;
extern const std::array<std::int8_t, 16> kAdjustTable6;
extern const std::array<std::int8_t, 16> kAdjustTable4;
extern const std::array<std::int16_t, 256> kDiffTable8;
extern const std::array<std::int16_t, 256> kStepTable8;

constexpr int Limit(int v, int lo, int hi) { return std::clamp(v, lo, hi); }
constexpr int AsInt16(int v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v)); }

// Stored width 8, compression 6: adaptive 8-bit codes, 16-bit output.
struct Adaptive8 {
    int x1 = 0, x2 = 0, shift = 0;
    int Start(int initial) {
        const int v = Limit(Limit(initial, -16384, 16383), -8192, 8191);
        shift = 5;
        x1 = x2 = v;
        return v * 4;
    }
    int Step(std::uint8_t d) {
        const int pred = Limit((x2 >> 1) + (x1 >> 1), -8192, 8191);
        const int s = Limit(AsInt16(pred + (kStepTable8[d] << shift)), -8192, 8191);
        if (d == 0 || d == 255)
            shift += 3;
        else if (d == 128)
            shift -= 1;
        shift = Limit(shift, 0, 6);
        x2 = x1;
        x1 = s;
        return s * 4;
    }
};

// Stored width 8, other compressions: differential 8-bit codes, 16-bit output.
struct Differential8 {
    int x1 = 0;
    int Start(int initial) {
        x1 = Limit(initial, -16384, 16383);
        return x1 * 2;
    }
    int Step(std::uint8_t d) {
        x1 = Limit(AsInt16(x1 + kDiffTable8[d] - 8193), -16384, 16383);
        return x1 * 2;
    }
};

// Stored width 4, compression 5: adaptive 4-bit codes on unsigned 8-bit samples.
struct Adaptive4To8 {
    int x1 = 0, x2 = 0, x3 = 0, shift = 0;
    int Start(std::uint8_t first) {
        x1 = x2 = x3 = first;
        shift = 0;
        return first;
    }
    int Step(unsigned q) {
        const int pred = ((x3 + 1) >> 1) + ((x2 + 2) >> 2) + ((x1 + 2) >> 2) - x2 + x1;
        int s = pred + (kStepTable16[q] << shift);
        shift = Limit(shift + kAdjustTable5[q], 0, 5);
        s = Limit(s, 0, 255);
        x3 = x2;
        x2 = x1;
        x1 = s;
        return s;
    }
};

// Stored width 4, compression 3: differential 4-bit codes.
struct Differential4 {
    int x1 = 0;
    int Start(int initial) {
        x1 = Limit(initial, -16384, 16383);
        return x1 * 2;
    }
    int Step(unsigned q) {
        x1 = Limit(AsInt16(x1 + kDiffTable3[q] - 4097), -16384, 16383);
        return x1 * 2;
    }
};

// Stored width 4, compression 4: step-adaptive 4-bit codes; two channels get half the range.
struct StepAdaptive4 {
    bool stereo = false;
    int x1 = 0, shift = 0;
    int Start(int initial) {
        x1 = Limit(initial, -16384, 16383);
        shift = 0;
        return stereo ? Limit(x1, -8192, 8191) * 4 : x1 * 2;
    }
    int Step(unsigned q) {
        x1 = x1 + ((kDiffTable4[q] - 257) << shift);
        shift = Limit(shift + kAdjustTable4[q], 0, stereo ? 10 : 14);
        if (stereo) {
            x1 = Limit(x1, -8192, 8191);
            return x1 * 4;
        }
        x1 = Limit(x1, -16384, 16383);
        return x1 * 2;
    }
};

// Stored width 4, compression 6: predictive adaptive 4-bit codes.
struct Predictive4 {
    int x1 = 0, x2 = 0, x3 = 0, shift = 0;
    int Start(int initial) {
        const int v = Limit(Limit(initial, -16384, 16383), -8192, 8191);
        x1 = x2 = x3 = v;
        shift = 5;
        return v * 4;
    }
    int Step(unsigned q) {
        const int pred = Limit((x3 >> 1) + (x2 >> 2) + (x1 >> 2) - x2 + x1, -8192, 8191);
        const int delta = Limit(kStepTable16[q] << shift, -8192, 8191);
        int s = pred + delta;
        shift = Limit(shift + kAdjustTable6[q], 0, 7);
        s = Limit(s, -8192, 8191);
        x3 = x2;
        x2 = x1;
        x1 = s;
        return s * 4;
    }
};

// Which of the six codes a record uses, by its stored width and compression.
enum class Variant { Pcm16, Pcm8, Adaptive8, Differential8, Adaptive4To8, Code4, None };

constexpr Variant VariantOf(int storedBits, int compression) {
    if (storedBits == 16)
        return Variant::Pcm16;
    if (storedBits == 8) {
        if (compression == 5 || compression == 31)
            return Variant::Pcm8;
        return compression == 6 ? Variant::Adaptive8 : Variant::Differential8;
    }
    if (storedBits == 4) {
        if (compression == 5)
            return Variant::Adaptive4To8;
        return (compression == 3 || compression == 4 || compression == 6) ? Variant::Code4
                                                                          : Variant::None;
    }
    return Variant::None;
}

}  // namespace tvx::codec

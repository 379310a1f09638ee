#include "formats/im2/decoder_lanes.h"

#include "core/block_record.h"
#include "core/sample_codecs.h"
#include "core/wide_vectors.h"
#include "formats/im2/decode_steps.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tvx {

#if defined(__x86_64__)

namespace {

// Everything below runs inside DecodeCode4Lanes, which is only called on a processor
// with AVX2; inlined there, none of it is ever built for a processor without.
#define TVX_LANES __attribute__((target("avx2"), always_inline)) inline

using im2decode::PayloadView;
using Lane = __m256i;
using Scalars = std::array<int, kDecodeLanes>;

TVX_LANES Lane Splat(int v) { return _mm256_set1_epi32(v); }

TVX_LANES Lane LoadLanes(const Scalars& v) {
    return _mm256_loadu_si256(reinterpret_cast<const Lane*>(v.data()));
}

TVX_LANES Scalars StoreLanes(Lane v) {
    Scalars out;
    _mm256_storeu_si256(reinterpret_cast<Lane*>(out.data()), v);
    return out;
}

TVX_LANES Lane Clamp(Lane v, int lo, int hi) {
    return _mm256_min_epi32(_mm256_max_epi32(v, Splat(lo)), Splat(hi));
}

// A table of sixteen values, looked up in every lane by a code of 0 to 15.
struct Table16 {
    Lane low;
    Lane high;

    template <typename T>
    TVX_LANES static Table16 Of(const std::array<T, 16>& table, int bias) {
        Scalars low, high;
        for (std::size_t i = 0; i < 8; ++i) {
            low[i] = table[i] - bias;
            high[i] = table[i + 8] - bias;
        }
        return {LoadLanes(low), LoadLanes(high)};
    }

    TVX_LANES Lane operator[](Lane code) const {
        const Lane upper = _mm256_cmpgt_epi32(code, Splat(7));
        return _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(low, code),
                                  _mm256_permutevar8x32_epi32(high, code), upper);
    }
};

// Each codec below steps eight channels exactly as its one-channel twin (Scalar) does; the
// twin starts a record and finishes what is left after the last whole group of bytes, as
// the one-record decoder does it.

struct StepAdaptiveLanes {
    using Scalar = codec::StepAdaptive4;
    Lane x1, shift;
    Table16 diff, adjust;
    int bound, maxShift, outShift;

    TVX_LANES explicit StepAdaptiveLanes(bool stereo)
        : x1(), shift(), diff(Table16::Of(codec::kDiffTable4, 257)),
          adjust(Table16::Of(codec::kAdjustTable4, 0)), bound(stereo ? 8192 : 16384),
          maxShift(stereo ? 10 : 14), outShift(stereo ? 2 : 1) {}

    static Scalar Twin(bool stereo) { return Scalar{.stereo = stereo}; }

    TVX_LANES void Load(const std::array<Scalar, kDecodeLanes>& ch) {
        Scalars a, b;
        for (std::size_t j = 0; j < kDecodeLanes; ++j) {
            a[j] = ch[j].x1;
            b[j] = ch[j].shift;
        }
        x1 = LoadLanes(a);
        shift = LoadLanes(b);
    }

    TVX_LANES void Store(std::array<Scalar, kDecodeLanes>& ch) const {
        const Scalars a = StoreLanes(x1), b = StoreLanes(shift);
        for (std::size_t j = 0; j < kDecodeLanes; ++j) {
            ch[j].x1 = a[j];
            ch[j].shift = b[j];
        }
    }

    TVX_LANES Lane Step(Lane q) {
        x1 = _mm256_add_epi32(x1, _mm256_sllv_epi32(diff[q], shift));
        shift = Clamp(_mm256_add_epi32(shift, adjust[q]), 0, maxShift);
        x1 = Clamp(x1, -bound, bound - 1);
        return _mm256_sll_epi32(x1, _mm_cvtsi32_si128(outShift));
    }
};

struct PredictiveLanes {
    using Scalar = codec::Predictive4;
    Lane x1, x2, x3, shift;
    Table16 step, adjust;

    TVX_LANES explicit PredictiveLanes(bool)
        : x1(), x2(), x3(), shift(), step(Table16::Of(codec::kStepTable16, 0)),
          adjust(Table16::Of(codec::kAdjustTable6, 0)) {}

    static Scalar Twin(bool) { return Scalar{}; }

    TVX_LANES void Load(const std::array<Scalar, kDecodeLanes>& ch) {
        Scalars a, b, c, d;
        for (std::size_t j = 0; j < kDecodeLanes; ++j) {
            a[j] = ch[j].x1;
            b[j] = ch[j].x2;
            c[j] = ch[j].x3;
            d[j] = ch[j].shift;
        }
        x1 = LoadLanes(a);
        x2 = LoadLanes(b);
        x3 = LoadLanes(c);
        shift = LoadLanes(d);
    }

    TVX_LANES void Store(std::array<Scalar, kDecodeLanes>& ch) const {
        const Scalars a = StoreLanes(x1), b = StoreLanes(x2), c = StoreLanes(x3),
                      d = StoreLanes(shift);
        for (std::size_t j = 0; j < kDecodeLanes; ++j)
            ch[j] = Scalar{a[j], b[j], c[j], d[j]};
    }

    TVX_LANES Lane Step(Lane q) {
        Lane pred = _mm256_add_epi32(_mm256_srai_epi32(x3, 1), _mm256_srai_epi32(x2, 2));
        pred = _mm256_add_epi32(pred, _mm256_srai_epi32(x1, 2));
        pred = Clamp(_mm256_add_epi32(_mm256_sub_epi32(pred, x2), x1), -8192, 8191);
        const Lane delta = Clamp(_mm256_sllv_epi32(step[q], shift), -8192, 8191);
        shift = Clamp(_mm256_add_epi32(shift, adjust[q]), 0, 7);
        x3 = x2;
        x2 = x1;
        x1 = Clamp(_mm256_add_epi32(pred, delta), -8192, 8191);
        return _mm256_slli_epi32(x1, 2);
    }
};

// Four payload bytes of every lane, byte i of lane j in the low byte of lane j.
TVX_LANES Lane GatherWords(const std::array<const std::uint8_t*, kDecodeLanes>& payloads,
                           std::size_t i) {
    Scalars words;
    for (std::size_t j = 0; j < kDecodeLanes; ++j) {
        std::uint32_t w;
        std::memcpy(&w, payloads[j] + i, sizeof w);
        words[j] = static_cast<int>(w);
    }
    return LoadLanes(words);
}

// Eight samples of eight lanes, sample-major, written as eight consecutive 16-bit samples
// into each lane's output at `at`. Every value already fits 16 bits, so packing keeps it.
TVX_LANES void PutTransposed(const Lane (&s)[8],
                             const std::array<std::uint8_t*, kDecodeLanes>& outs, std::size_t at) {
    __m128i r[8];
    for (std::size_t k = 0; k < 8; ++k)
        r[k] = _mm_packs_epi32(_mm256_castsi256_si128(s[k]), _mm256_extracti128_si256(s[k], 1));
    __m128i a[8], b[8];
    for (std::size_t k = 0; k < 4; ++k) {
        a[2 * k] = _mm_unpacklo_epi16(r[2 * k], r[2 * k + 1]);
        a[2 * k + 1] = _mm_unpackhi_epi16(r[2 * k], r[2 * k + 1]);
    }
    for (std::size_t k = 0; k < 2; ++k)
        for (std::size_t h = 0; h < 2; ++h) {
            b[4 * k + 2 * h] = _mm_unpacklo_epi32(a[4 * k + h], a[4 * k + h + 2]);
            b[4 * k + 2 * h + 1] = _mm_unpackhi_epi32(a[4 * k + h], a[4 * k + h + 2]);
        }
    // b[0..3] hold samples 0-3 of lanes (0,1) (2,3) (4,5) (6,7); b[4..7] samples 4-7.
    for (std::size_t p = 0; p < 4; ++p) {
        auto* low = reinterpret_cast<__m128i*>(outs[2 * p] + at);
        auto* high = reinterpret_cast<__m128i*>(outs[2 * p + 1] + at);
        _mm_storeu_si128(low, _mm_unpacklo_epi64(b[p], b[p + 4]));
        _mm_storeu_si128(high, _mm_unpackhi_epi64(b[p], b[p + 4]));
    }
}

// The layout of the 4-bit codes: one initial 16-bit sample per channel, then two codes a
// byte, low half first; with two channels low is left.
template <int kChannels, typename Lanes>
TVX_LANES std::uint16_t DecodeInLanes(const std::array<const std::uint8_t*, kDecodeLanes>& payloads,
                                      const std::array<std::uint8_t*, kDecodeLanes>& outs) {
    constexpr bool kStereo = kChannels == 2;
    using Scalar = typename Lanes::Scalar;
    std::array<Scalar, kDecodeLanes> left, right;
    left.fill(Lanes::Twin(kStereo));
    right.fill(Lanes::Twin(kStereo));
    for (std::size_t j = 0; j < kDecodeLanes; ++j) {
        im2decode::Emitter<true> e(outs[j], 1.0);
        im2decode::EmitStarts(PayloadView(payloads[j], kPayloadSize), kChannels, e, left[j], right[j]);
    }
    constexpr std::size_t kFirst = 2 * kChannels;
    Lanes a(kStereo), b(kStereo);
    a.Load(left);
    if constexpr (kStereo)
        b.Load(right);
    std::size_t i = kFirst;
    std::size_t at = kFirst;
    for (; i + 4 <= kPayloadSize; i += 4, at += 16) {
        Lane words = GatherWords(payloads, i);
        Lane samples[8];
        for (std::size_t k = 0; k < 4; ++k) {
            const Lane lo = _mm256_and_si256(words, Splat(0x0F));
            const Lane hi = _mm256_and_si256(_mm256_srli_epi32(words, 4), Splat(0x0F));
            samples[2 * k] = a.Step(lo);
            samples[2 * k + 1] = kStereo ? b.Step(hi) : a.Step(hi);
            words = _mm256_srli_epi32(words, 8);
        }
        PutTransposed(samples, outs, at);
    }
    a.Store(left);
    if constexpr (kStereo)
        b.Store(right);
    std::uint16_t tail = 0;
    for (std::size_t j = 0; j < kDecodeLanes; ++j) {
        im2decode::Emitter<true> e(outs[j] + at, 1.0);
        im2decode::DecodeNibbles(PayloadView(payloads[j], kPayloadSize), i, kChannels, left[j],
                                 right[j], [&e](int v) { e.Emit16(v); });
        tail = e.Count();
    }
    return static_cast<std::uint16_t>(at + tail);
}

template <typename Lanes>
__attribute__((target("avx2"))) std::uint16_t DecodeChannels(
    const std::array<const std::uint8_t*, kDecodeLanes>& payloads, int channels,
    const std::array<std::uint8_t*, kDecodeLanes>& outs) {
    return channels == 2 ? DecodeInLanes<2, Lanes>(payloads, outs)
                         : DecodeInLanes<1, Lanes>(payloads, outs);
}

}  // namespace

bool DecodesInLanes() { return WideVectors(); }

std::uint16_t DecodeCode4Lanes(const std::array<const std::uint8_t*, kDecodeLanes>& payloads,
                               int compression, int channels,
                               const std::array<std::uint8_t*, kDecodeLanes>& outs) {
    return compression == 4 ? DecodeChannels<StepAdaptiveLanes>(payloads, channels, outs)
                            : DecodeChannels<PredictiveLanes>(payloads, channels, outs);
}

#else

bool DecodesInLanes() { return false; }

// Never reached: DecodesInLanes() is false here, and callers decode one record at a time.
std::uint16_t DecodeCode4Lanes(const std::array<const std::uint8_t*, kDecodeLanes>&, int, int,
                               const std::array<std::uint8_t*, kDecodeLanes>&) {
    return 0;
}

#endif

}  // namespace tvx

#pragma once

#include "core/block_record.h"
#include "core/sample_codecs.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

// What decoding one IM2 record and decoding eight side by side share: where the samples
// go, the initial samples, and the order of the 4-bit codes in the payload.
namespace tvx::im2decode {

using PayloadView = std::span<const std::uint8_t, kPayloadSize>;

// Writes samples into the caller's buffer, applying the gain. With gain 1.0 both emitters
// are the identity, so the common case is built without the floating point.
template <bool kUnity>
class Emitter {
public:
    Emitter(std::uint8_t* out, double gain)
        : m_out(out), m_start(out), m_gain(gain), m_limit(std::trunc(32768.0 / gain)) {}

    void Emit16(int value) {
        int v = codec::AsInt16(value);
        if constexpr (!kUnity) {
            double d = v;
            if (d < -m_limit)
                d = -m_limit;
            if (d > m_limit - 1)
                d = m_limit - 1;
            v = static_cast<int>(std::trunc(d * m_gain));
        }
        *m_out++ = static_cast<std::uint8_t>(v);
        *m_out++ = static_cast<std::uint8_t>(v >> 8);
    }

    void Emit8(int s) {
        if constexpr (!kUnity)
            s = codec::Limit(static_cast<int>(std::trunc((s - 128) * m_gain)) + 128, 0, 255);
        *m_out++ = static_cast<std::uint8_t>(s);
    }

    void Fill(std::uint8_t byte, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            *m_out++ = byte;
    }

    std::uint16_t Count() const { return static_cast<std::uint16_t>(m_out - m_start); }

private:
    std::uint8_t* m_out;
    std::uint8_t* m_start;
    double m_gain;
    double m_limit;
};

inline int InitialSample(PayloadView d, std::size_t at) {
    return codec::AsInt16(d[at] | d[at + 1] << 8);
}

// The codes with 16-bit initial samples start one per channel, left first.
template <typename Channel, typename Emit>
void EmitStarts(PayloadView d, int channels, Emit& e, Channel& left, Channel& right) {
    e.Emit16(left.Start(InitialSample(d, 0)));
    if (channels == 2)
        e.Emit16(right.Start(InitialSample(d, 2)));
}

// The 4-bit codes: two codes a byte, low half first; with two channels low is left.
template <typename Channel, typename Emit>
void DecodeNibbles(PayloadView d, std::size_t first, int channels, Channel& left,
                   Channel& right, Emit emit) {
    for (std::size_t i = first; i < kPayloadSize; ++i) {
        const unsigned lo = d[i] & 0x0F;
        const unsigned hi = d[i] >> 4;
        if (channels == 2) {
            emit(left.Step(lo));
            emit(right.Step(hi));
        } else {
            emit(left.Step(lo));
            emit(left.Step(hi));
        }
    }
}

}  // namespace tvx::im2decode

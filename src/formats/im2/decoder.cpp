#include "formats/im2/im2.h"

#include "core/key_stream.h"
#include "core/model_table.h"
#include "core/sample_codecs.h"
#include "formats/im2/decode_steps.h"

namespace tvx {
namespace {

using codec::Variant;
using namespace im2decode;

using Plain = std::array<std::uint8_t, kPayloadSize>;

template <typename Emit>
void DecodePcm16(const Plain& d, Emit& e) {
    for (std::size_t i = 0; i < kPayloadSize; i += 2)
        e.Emit16(InitialSample(d, i));
}

template <typename Emit>
void DecodePcm8(const Plain& d, Emit& e) {
    for (std::uint8_t s : d)
        e.Emit8(s);
}

// The 8-bit codes: one initial 16-bit sample per channel, then one byte per sample,
// even bytes left and odd bytes right with two channels.
template <typename Channel, typename Emit>
void DecodeBytewise(const Plain& d, int channels, Emit& e, Channel left, Channel right) {
    EmitStarts(d, channels, e, left, right);
    const std::size_t first = channels == 2 ? 4 : 2;
    for (std::size_t i = first; i < kPayloadSize; ++i) {
        Channel& ch = (channels == 2 && (i & 1)) ? right : left;
        e.Emit16(ch.Step(d[i]));
    }
}

template <typename Emit>
void DecodeAdaptive4To8(const Plain& d, int channels, Emit& e) {
    codec::Adaptive4To8 left, right;
    e.Emit8(left.Start(d[0]));
    if (channels == 2)
        e.Emit8(right.Start(d[1]));
    DecodeNibbles(d, channels == 2 ? 2 : 1, channels, left, right,
                  [&e](int s) { e.Emit8(s); });
}

template <typename Channel, typename Emit>
void DecodeCode4(const Plain& d, int channels, Emit& e, Channel left, Channel right) {
    EmitStarts(d, channels, e, left, right);
    DecodeNibbles(d, channels == 2 ? 4 : 2, channels, left, right,
                  [&e](int v) { e.Emit16(v); });
}

template <typename Emit>
void DecodeCode4ByCompression(const Plain& d, int compression, int channels, Emit& e) {
    switch (compression) {
    case 3:
        DecodeCode4(d, channels, e, codec::Differential4{}, codec::Differential4{});
        break;
    case 4: {
        const codec::StepAdaptive4 ch{.stereo = channels == 2};
        DecodeCode4(d, channels, e, ch, ch);
        break;
    }
    default:
        DecodeCode4(d, channels, e, codec::Predictive4{}, codec::Predictive4{});
        break;
    }
}

// A deciphered payload and what its samples depend on.
struct Payload {
    const Plain& plain;
    Variant variant;
    int compression;
    int channels;
    int outputBits;
};

// The samples of a payload by its variant; returns the bytes written.
template <bool kUnity>
std::uint16_t DecodeWith(const Payload& p, std::uint8_t* out, double gain) {
    Emitter<kUnity> e(out, gain);
    switch (p.variant) {
    case Variant::Pcm16:
        DecodePcm16(p.plain, e);
        break;
    case Variant::Pcm8:
        DecodePcm8(p.plain, e);
        break;
    case Variant::Adaptive8:
        DecodeBytewise(p.plain, p.channels, e, codec::Adaptive8{}, codec::Adaptive8{});
        break;
    case Variant::Differential8:
        DecodeBytewise(p.plain, p.channels, e, codec::Differential8{}, codec::Differential8{});
        break;
    case Variant::Adaptive4To8:
        DecodeAdaptive4To8(p.plain, p.channels, e);
        break;
    case Variant::Code4:
        DecodeCode4ByCompression(p.plain, p.compression, p.channels, e);
        break;
    case Variant::None: {
        // A record whose code fits no variant keeps its share of the time as silence.
        const std::size_t samples =
            static_cast<std::size_t>(((8 / 4) * (512 - (p.channels * p.outputBits) / 8)) /
                                         p.channels + 1) * static_cast<std::size_t>(p.channels);
        e.Fill(p.outputBits == 8 ? 0x80 : 0x00, samples * static_cast<std::size_t>(p.outputBits / 8));
        break;
    }
    }
    return e.Count();
}

}  // namespace

BlockStatus CIm2::Decipher(std::uint8_t* plain) const {
    return DecipherRecord(m_block, plain, true);
}

BlockStatus CIm2::DecipherRecord(RecordView record, std::uint8_t* plain, bool judge) const {
    // Autokey: each plain byte is the cipher byte XOR the key, and the key then runs on
    // the cipher byte, so one changed byte garbles the rest of the record.
    std::uint8_t k = DecipherPayload(record.data(), plain, KeyOf(record));
    if (!judge)
        return 0;
    BlockStatus status = ReferenceStatus(record, true);
    for (std::size_t i = kOffFileNumber; i <= kOffTrailerSum; ++i)
        k = static_cast<std::uint8_t>(k + record[i]);
    if (k != record[kOffBlockSum] || TrailerSumOf(record) != record[kOffTrailerSum])
        status |= kIrregular | kChecksumError;
    return status;
}

int CIm2::LaneCode(RecordView record) const {
    const int compression = CompressionOf(ModelCodeOf(record));
    const bool code4 = codec::VariantOf(m_nStoredBits, compression) == Variant::Code4;
    return code4 && (compression == 4 || compression == 6) && m_dGain == 1.0 ? compression : 0;
}

BlockStatus CIm2::Decode(std::span<std::uint8_t> out, std::uint16_t* count) const {
    BlockStatus status = 0;
    *count = DecodeRecord(m_block, out, &status);
    return status;
}

std::uint16_t CIm2::DecodeUnjudged(RecordView record, std::span<std::uint8_t> out) const {
    return DecodeRecord(record, out, nullptr);
}

std::uint16_t CIm2::DecodeRecord(RecordView record, std::span<std::uint8_t> out,
                                 BlockStatus* status) const {
    assert(out.size() >= kMaxDecodedBytes);
    const int compression = CompressionOf(ModelCodeOf(record));
    const Variant variant = codec::VariantOf(m_nStoredBits, compression);
    // Plain PCM at unity gain is its own output: deciphered straight into it.
    const bool direct = m_dGain == 1.0 && (variant == Variant::Pcm16 || variant == Variant::Pcm8);
    Plain plain;
    const BlockStatus verdict =
        DecipherRecord(record, direct ? out.data() : plain.data(), status != nullptr);
    if (status != nullptr)
        *status = verdict;
    if (direct)
        return static_cast<std::uint16_t>(kPayloadSize);

    const int channels = m_nChannels == 2 ? 2 : 1;
    const Payload payload{plain, variant, compression, channels, m_nOutputBits};
    return m_dGain == 1.0 ? DecodeWith<true>(payload, out.data(), m_dGain)
                          : DecodeWith<false>(payload, out.data(), m_dGain);
}

}  // namespace tvx

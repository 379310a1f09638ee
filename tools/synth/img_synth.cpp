#include "synth/img_synth.h"

#include "core/bytes.h"
#include "formats/img/img.h"
#include "synth/signal_source.h"
#include "synth/streamed_file.h"
#include "synth/synth.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace tvx::synth {
namespace {

constexpr std::size_t kBatchRecords = 1024;

// Eight codes per five bytes: chosen one by one, each the step that lands nearest the
// signal from where the decoder stands, so the decoded audio follows the signal.
void Code5(const std::int16_t* signal, std::array<std::uint8_t, kPayloadSize>& payload) {
    int predictor = To8Bit(signal[0]);
    payload[0] = static_cast<std::uint8_t>(predictor);
    std::size_t sample = 1;
    for (std::size_t group = 1; group + 5 <= kPayloadSize; group += 5) {
        std::uint64_t bits = 0;
        for (int c = 0; c < 8; ++c, ++sample) {
            const int target = To8Bit(signal[sample]);
            unsigned best = 0;
            int bestError = 1 << 30;
            for (unsigned code = 0; code < 32; ++code) {
                const int step = kImgSteps[code & 15];
                const int s = std::clamp(predictor + ((code & 0x10) ? -step : step), 0, 255);
                if (std::abs(s - target) < bestError) {
                    bestError = std::abs(s - target);
                    best = code;
                }
            }
            const int step = kImgSteps[best & 15];
            predictor = std::clamp(predictor + ((best & 0x10) ? -step : step), 0, 255);
            bits = bits << 5 | best;
        }
        for (int b = 0; b < 5; ++b)
            payload[group + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(bits >> (8 * (4 - b)));
    }
    payload[kPayloadSize - 1] = 0x5A;   // never decoded, only summed
}

class ImgBuilder {
public:
    ImgBuilder(const ImgOptions& options, std::span<const ImgFault> faults)
        : m_options(options), m_faults(faults.begin(), faults.end()),
          m_signal(options.seed, options.sampleRate, 1) {}

    std::uint32_t Records() const {
        return m_options.records + (Has(ImgFaultKind::CutLast) ? 0 : m_options.erased);
    }
    std::size_t KeptOf(std::uint32_t n) const {
        for (const ImgFault& f : m_faults)
            if (f.kind == ImgFaultKind::CutLast && n == m_options.records)
                return std::min<std::size_t>(f.record, kRecordSize - 1);
        return kRecordSize;
    }

    // Records must be asked for in order: the voice-image checksum runs through them.
    Record Next(std::uint32_t n) {
        Record r{};
        if (n > m_options.records) {
            r.fill(0xFF);
            return r;
        }
        r = Plain(n);
        m_running = static_cast<std::uint8_t>(m_running + r[kImgOffBlockSum]);
        // The unit's chain jumps here and runs on from the wrong value.
        if (Has(ImgFaultKind::VoiceChecksum, n))
            m_running ^= 0x21;
        r[kImgOffVoiceSum] = m_running;
        if (Has(ImgFaultKind::BlockChecksum, n))
            r[100] ^= 0x04;
        return r;
    }

    Record Plain(std::uint32_t n) const {
        std::array<std::uint8_t, kPayloadSize> payload{};
        std::array<std::int16_t, kImg5Samples> signal{};
        const bool five = m_options.bits == 5;
        const std::size_t spr = five ? 816 : 512;
        m_signal.Fill(std::uint64_t{n - 1} * spr, five ? kImg5Samples : kImg8Samples, signal.data());
        if (five)
            Code5(signal.data(), payload);
        else
            for (std::size_t i = 0; i < kPayloadSize; ++i)
                payload[i] = To8Bit(signal[i]);
        Record r{};
        std::copy(payload.begin(), payload.end(), r.begin());
        r[kImgOffCoding] = five ? 1 : 0;
        StoreLe16(r, kImgOffSampleRate, m_options.sampleRate);
        StoreLe16(r, kImgOffSampleCount,
                  static_cast<std::uint16_t>((five ? kImg5Samples : kImg8Samples) +
                                             (Has(ImgFaultKind::SampleCount, n) ? 1 : 0)));
        StoreLe16(r, kImgOffUnitId,
                  static_cast<std::uint16_t>(m_options.unitId + (Has(ImgFaultKind::UnitId, n) ? 1 : 0)));
        StoreLe16(r, kImgOffFileNumber,
                  static_cast<std::uint16_t>(m_options.fileNumber + (Has(ImgFaultKind::FileNumber, n) ? 1 : 0)));
        StoreLe32(r, kImgOffBlockNumber, n + (Has(ImgFaultKind::RecordIndex, n) ? 1 : 0));
        r[kImgOffBlockSum] = ImgBlockSum(r);
        return r;
    }

private:
    bool Has(ImgFaultKind kind, std::uint32_t n) const {
        return std::any_of(m_faults.begin(), m_faults.end(),
                           [&](const ImgFault& f) { return f.kind == kind && f.record == n; });
    }
    bool Has(ImgFaultKind kind) const {
        return std::any_of(m_faults.begin(), m_faults.end(),
                           [&](const ImgFault& f) { return f.kind == kind; });
    }

    ImgOptions m_options;
    std::vector<ImgFault> m_faults;
    SignalSource m_signal;
    std::uint8_t m_running = 0;
};

}  // namespace

Record ImgRecord(const ImgOptions& options, std::uint32_t n) {
    ImgBuilder builder(options, {});
    Record r{};
    for (std::uint32_t i = 1; i <= n; ++i)
        r = builder.Next(i);
    return r;
}

std::vector<std::uint8_t> ImgSamples(const ImgOptions& options, std::uint32_t n) {
    CImg img;
    img.m_record = ImgBuilder(options, {}).Plain(n);
    img.ParseReference();
    std::vector<std::uint8_t> out(kImg5Samples);
    std::uint16_t count = 0;
    img.DecodeRecord(out, &count);
    out.resize(count);
    return out;
}

std::vector<std::uint8_t> MakeImg(const ImgOptions& options, std::span<const ImgFault> faults) {
    ImgBuilder builder(options, faults);
    std::vector<std::uint8_t> image;
    for (std::uint32_t n = 1; n <= builder.Records(); ++n) {
        const Record r = builder.Next(n);
        image.insert(image.end(), r.begin(), r.begin() + static_cast<std::ptrdiff_t>(builder.KeptOf(n)));
    }
    return image;
}

bool WriteImgFile(const std::string& path, const ImgOptions& options,
                  std::span<const ImgFault> faults) {
    ImgBuilder builder(options, faults);
    std::uint32_t n = 1;
    return WriteStreamed(path, [&](std::vector<std::uint8_t>& batch) {
        for (std::size_t k = 0; k < kBatchRecords && n <= builder.Records(); ++k, ++n) {
            const Record r = builder.Next(n);
            batch.insert(batch.end(), r.begin(), r.begin() + static_cast<std::ptrdiff_t>(builder.KeptOf(n)));
        }
        return n <= builder.Records();
    });
}

}  // namespace tvx::synth

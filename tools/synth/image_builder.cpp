#include "synth/image_builder.h"

#include "synth/payload_coder.h"

#include <algorithm>
#include <array>

namespace tvx::synth {
namespace {

constexpr std::size_t kDefaultKept = 100;

}  // namespace

ImageBuilder::ImageBuilder(const Im2Options& options, std::span<const Fault> faults)
    : m_options(options), m_faults(faults.begin(), faults.end()), m_layout(LayoutOf(options)),
      m_signal(options.seed, m_layout.sampleRate, m_layout.channels),
      m_formatByte(FormatByteFor(options)) {}

bool ImageBuilder::HasFault(FaultKind kind, std::uint64_t dataPosition) const {
    return std::any_of(m_faults.begin(), m_faults.end(), [&](const Fault& f) {
        return f.kind == kind && f.block == dataPosition;
    });
}

std::uint32_t ImageBuilder::SourceOf(std::uint32_t dataPosition) const {
    // The swaps compose in the order given, so a position is traced back through them last
    // first; a swap that would reach past the last record is dropped.
    std::uint32_t at = dataPosition;
    for (auto f = m_faults.rbegin(); f != m_faults.rend(); ++f) {
        if (f->kind != FaultKind::BlockOrder || std::uint64_t{f->block} + 1 >= m_options.blocks)
            continue;
        if (at == f->block)
            at = f->block + 1;
        else if (at == f->block + 1)
            at = f->block;
    }
    return at;
}

std::size_t ImageBuilder::KeptOfLast() const {
    std::size_t kept = kRecordSize;
    for (const Fault& f : m_faults) {
        if (f.kind != FaultKind::TruncateLast)
            continue;
        const std::size_t want =
            f.block == 0 ? kDefaultKept : std::min<std::size_t>(f.block, kRecordSize - 1);
        kept = std::min(kept, want);
    }
    return kept;
}

std::uint64_t ImageBuilder::Size() const {
    return RecordCount() * kRecordSize - (kRecordSize - KeptOfLast());
}

TrailerFields ImageBuilder::Fields(std::uint32_t blockIndex) const {
    return {.fileNumber = m_options.fileNumber,
            .unitNumber = m_options.unitNumber,
            .timestamp = m_options.timestamp,
            .blockIndex = blockIndex,
            .formatByte = m_formatByte,
            .modelCode = m_options.modelCode};
}

Record ImageBuilder::Header() const {
    const std::int64_t stated =
        m_options.statedBlocks < 0 ? std::int64_t{m_options.blocks} : m_options.statedBlocks;
    // The header's payload is never decoded; an enciphered silence is as good as anything.
    const std::array<std::uint8_t, kPayloadSize> plain{};
    return SealRecord(plain, Fields(static_cast<std::uint32_t>(stated - 1)));
}

Record ImageBuilder::Seal(std::uint32_t index, const TrailerFields& fields) const {
    // Enough for the longest record: 1,023 frames of one channel or 511 of two.
    std::array<std::int16_t, 1024> samples{};
    const std::uint64_t first = std::uint64_t{index} * m_layout.samplesPerChannel;
    m_signal.Fill(first, m_layout.samplesPerChannel, samples.data());
    std::array<std::uint8_t, kPayloadSize> plain{};
    CodePayload(m_layout, samples, plain);
    return SealRecord(plain, fields);
}

Record ImageBuilder::Data(std::uint32_t index) const { return Seal(index, Fields(index)); }

std::size_t ImageBuilder::RecordAt(std::uint64_t position, Record& out) const {
    const bool last = position + 1 == RecordCount();
    if (position == 0) {
        out = Header();
        const bool badHeader = std::any_of(m_faults.begin(), m_faults.end(), [](const Fault& f) {
            return f.kind == FaultKind::BadHeader;
        });
        if (badHeader)
            out[kOffBlockSum] ^= 0xFF;
    } else {
        const auto at = static_cast<std::uint32_t>(position - 1);
        const std::uint32_t source = SourceOf(at);
        TrailerFields fields = Fields(source);
        if (HasFault(FaultKind::UnitNumber, at))
            fields.unitNumber = static_cast<std::uint16_t>(fields.unitNumber + 1);
        if (HasFault(FaultKind::FileNumber, at))
            fields.fileNumber = static_cast<std::uint16_t>(fields.fileNumber + 1);
        if (HasFault(FaultKind::Timestamp, at))
            fields.timestamp ^= 1;   // one second apart, as valid as before
        out = Seal(source, fields);
        if (HasFault(FaultKind::PayloadByte, at))
            out[(at * 131u + 17u) % kPayloadSize] ^= 0x5A;
    }
    return last ? KeptOfLast() : kRecordSize;
}

}  // namespace tvx::synth

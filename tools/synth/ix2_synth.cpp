#include "synth/ix2_synth.h"

#include "core/bytes.h"
#include "synth/image_builder.h"
#include "synth/streamed_file.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tvx::synth {
namespace {

constexpr std::size_t kPreamble = 128;
constexpr std::size_t kIndexBlocks = 3;
constexpr std::size_t kTableEntries = 32;
constexpr std::size_t kBatchRecords = 1024;

std::vector<Fault> SplitFaults(std::span<const Fault> faults, std::uint32_t splitFirst) {
    std::vector<Fault> shifted;
    for (const Fault& f : faults) {
        if (f.kind == FaultKind::TruncateLast || f.kind == FaultKind::BadHeader)
            continue;
        shifted.push_back({f.kind, f.block + splitFirst});
    }
    return shifted;
}

Im2Options WholeRecording(const Ix2Options& options) {
    Im2Options audio = options.audio;
    audio.blocks = options.splitFirst + options.audio.blocks;   // the split is its tail
    audio.statedBlocks = -1;
    return audio;
}

// Builds the file record by record, so an image of gigabytes needs no more memory than one.
class Ix2Builder {
public:
    Ix2Builder(const Ix2Options& options, std::span<const Fault> faults)
        : m_options(options), m_faults(SplitFaults(faults, options.splitFirst)),
          m_audio(WholeRecording(options), m_faults) {
        const std::uint32_t blocks = options.audio.blocks;
        m_splitLast = options.splitLast < 0
                          ? std::uint32_t{options.splitFirst + blocks - 1}
                          : static_cast<std::uint32_t>(options.splitLast);
        m_recordingLast = options.recordingLast < 0
                              ? m_splitLast
                              : static_cast<std::uint32_t>(options.recordingLast);
        m_dataBlocks = options.chain ? ChainOuterBlocks(blocks) : blocks;
    }

    std::uint64_t FullSize() const { return kPreamble + (kIndexBlocks + m_dataBlocks) * kRecordSize; }
    std::uint64_t Size() const {
        return m_options.cutTo ? std::min(*m_options.cutTo, FullSize()) : FullSize();
    }
    std::uint64_t Records() const { return kIndexBlocks + m_dataBlocks; }

    void Preamble(std::uint8_t* out) const {
        std::memset(out, 0, kPreamble);
        std::memcpy(out, "IX2 synthesized", 15);
    }

    Record RecordAt(std::uint64_t position) {
        Record r = position < kIndexBlocks ? IndexBlock(static_cast<int>(position))
                                           : DataBlock(position - kIndexBlocks);
        if (m_options.brokenIndexBlock && position == static_cast<std::uint64_t>(*m_options.brokenIndexBlock))
            r[kOffBlockSum] ^= 0xFF;
        return r;
    }

private:
    TrailerFields OuterFields(std::uint32_t blockIndex) const {
        return {.fileNumber = m_options.outerFileNumber,
                .unitNumber = m_options.outerUnitNumber,
                .timestamp = m_options.outerTimestamp,
                .blockIndex = blockIndex,
                .formatByte = 0,
                .modelCode = *ModelCodeForCompression(31)};
    }
    TrailerFields AudioFields(std::uint32_t blockIndex) const {
        const Im2Options& a = m_options.audio;
        return {.fileNumber = a.fileNumber,
                .unitNumber = a.unitNumber,
                .timestamp = a.timestamp,
                .blockIndex = blockIndex,
                .formatByte = FormatByteFor(a),
                .modelCode = a.modelCode};
    }

    // The table an index block of a chain carries: an entry of another recording of the unit,
    // the decoy and the entry that names this recording, then empty entries.
    std::array<std::uint8_t, kPayloadSize> Table(std::uint32_t blockNumber) const {
        const Im2Options& a = m_options.audio;
        std::array<std::uint8_t, kPayloadSize> table{};
        std::size_t at = 0;
        auto put = [&](const std::array<std::uint8_t, 16>& entry) {
            std::copy(entry.begin(), entry.end(), table.begin() + static_cast<std::ptrdiff_t>(at));
            at += entry.size();
        };
        put(IndexEntry(static_cast<std::uint16_t>(a.fileNumber + 100), a.unitNumber, a.timestamp, 99));
        if (m_options.decoyEntry) {
            auto decoy = IndexEntry(a.fileNumber, a.unitNumber, a.timestamp, blockNumber + 1000);
            decoy[14] ^= 0x01;
            put(decoy);
        }
        if (m_options.matchingEntry)
            put(IndexEntry(a.fileNumber, a.unitNumber, a.timestamp, blockNumber));
        // Empty entries would name file 0 of unit 0 with a right checksum; fill them as unused.
        for (; at < kTableEntries * 16; at += 16)
            table[at + 14] = 0xFF;
        return table;
    }

    Record IndexBlock(int i) const {
        if (!m_options.chain) {
            const std::uint32_t number[3] = {m_splitLast, 0, m_recordingLast};
            const std::array<std::uint8_t, kPayloadSize> plain{};
            return SealRecord(plain, AudioFields(number[i]));
        }
        const auto outerLast = static_cast<std::uint32_t>(m_options.outerFirst + m_dataBlocks - 1);
        if (i == 1) {
            const std::array<std::uint8_t, kPayloadSize> plain{};
            return SealRecord(plain, OuterFields(0));
        }
        const auto table = Table(i == 0 ? m_splitLast : m_recordingLast);
        return SealRecord(table, OuterFields(outerLast));
    }

    Record AudioBlock(std::uint64_t k) {
        if (k != m_cachedInner) {
            m_audio.RecordAt(1 + m_options.splitFirst + k, m_inner);
            m_cachedInner = k;
        }
        return m_inner;
    }

    Record DataBlock(std::uint64_t j) {
        if (!m_options.chain)
            return AudioBlock(j);
        std::array<std::uint8_t, kPayloadSize> plain{};
        for (std::size_t b = 0; b < kPayloadSize; ++b) {
            const std::uint64_t offset = j * kPayloadSize + b;
            const std::uint64_t k = offset / kRecordSize;
            if (k >= m_options.audio.blocks)
                break;   // the tail of the last outer block carries no inner block
            plain[b] = AudioBlock(k)[offset % kRecordSize];
        }
        return SealRecord(plain, OuterFields(static_cast<std::uint32_t>(m_options.outerFirst + j)));
    }

    Ix2Options m_options;
    std::vector<Fault> m_faults;
    ImageBuilder m_audio;
    std::uint32_t m_splitLast = 0;
    std::uint32_t m_recordingLast = 0;
    std::uint64_t m_dataBlocks = 0;
    std::uint64_t m_cachedInner = ~std::uint64_t{0};
    Record m_inner{};
};

}  // namespace

std::uint64_t ChainOuterBlocks(std::uint32_t innerBlocks) {
    return (std::uint64_t{innerBlocks} * kRecordSize + kPayloadSize - 1) / kPayloadSize;
}

std::array<std::uint8_t, 16> IndexEntry(std::uint16_t fileNumber, std::uint16_t unitNumber,
                                        std::uint32_t timestamp, std::uint32_t blockNumber) {
    std::array<std::uint8_t, 16> e{};
    StoreLe16(e, 0, fileNumber);
    StoreLe16(e, 2, unitNumber);
    StoreLe32(e, 4, timestamp);
    StoreLe32(e, 8, blockNumber);
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 14; ++i)
        sum = static_cast<std::uint8_t>(sum + e[i]);
    e[14] = sum;
    return e;
}

std::uint64_t Ix2ImageSize(const Ix2Options& options) { return Ix2Builder(options, {}).Size(); }

std::vector<std::uint8_t> MakeIx2(const Ix2Options& options, std::span<const Fault> faults) {
    Ix2Builder builder(options, faults);
    std::vector<std::uint8_t> image(kPreamble);
    builder.Preamble(image.data());
    for (std::uint64_t p = 0; p < builder.Records() && image.size() < builder.Size(); ++p) {
        const Record r = builder.RecordAt(p);
        image.insert(image.end(), r.begin(), r.end());
    }
    image.resize(builder.Size());
    return image;
}

bool WriteIx2File(const std::string& path, const Ix2Options& options,
                  std::span<const Fault> faults) {
    Ix2Builder builder(options, faults);
    const std::uint64_t size = builder.Size();
    std::uint64_t written = 0;
    std::uint64_t next = 0;
    return WriteStreamed(path, [&](std::vector<std::uint8_t>& batch) {
        if (written == 0) {
            batch.resize(kPreamble);
            builder.Preamble(batch.data());
        }
        for (std::size_t n = 0; n < kBatchRecords && next < builder.Records(); ++n, ++next) {
            const Record r = builder.RecordAt(next);
            batch.insert(batch.end(), r.begin(), r.end());
        }
        const std::uint64_t room = size - std::min(size, written);
        if (batch.size() > room)
            batch.resize(room);
        written += batch.size();
        return written < size && next < builder.Records();
    });
}

}  // namespace tvx::synth

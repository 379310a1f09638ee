#pragma once

#include "core/block_status.h"
#include "core/datetime.h"
#include "formats/im2/im2.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tvx {

// The file header, three index blocks and the first data block: read as one unit.
inline constexpr std::size_t kIx2HeaderRegion = 2240;
inline constexpr std::size_t kIx2Preamble = 128;
inline constexpr std::uint64_t kIx2DataStart = 1712;   // preamble + three index blocks
inline constexpr std::uint64_t kUnknownBlock = ~std::uint64_t{0};
inline constexpr std::uint32_t kUnknownIndex = ~std::uint32_t{0};

// An index table has 32 entries of 16 bytes laid out like a block trailer.
inline constexpr std::size_t kIndexEntrySize = 16;
inline constexpr std::size_t kNoIndexEntry = kPayloadSize;   // one past the table

// The first entry whose checksum holds and that names this file and unit, as its byte offset
// in the table; kNoIndexEntry when there is none.
std::size_t FindIndexEntry(std::span<const std::uint8_t, kPayloadSize> table,
                           std::uint16_t fileNumber, std::uint16_t unitNumber);

// Data blocks of a plain file, inner blocks of a chain file, from the file's length.
std::uint64_t Ix2PlainBlocks(std::uint64_t fileLength);
std::uint64_t Ix2ChainBlocks(std::uint64_t fileLength);

// Where inner block k of a chain stream starts: its outer block and the offset in its payload.
struct ChainPosition {
    std::uint64_t outer;
    std::uint32_t skip;
};
constexpr ChainPosition ChainPositionOf(std::uint64_t inner) {
    return {inner * kRecordSize / kPayloadSize,
            static_cast<std::uint32_t>(inner * kRecordSize % kPayloadSize)};
}

// An IX2 image: the IM2 image state plus the index blocks, the split of the recording this
// file holds and, for a chain file, the identity of the outer image that carries the stream.
// Without a worker thread it is the passive holder the passes use.
class CIx2 : public CIm2 {
public:
    CIx2() = default;
    explicit CIx2(const PlaybackSetup& setup);   // with its worker
    ~CIx2() override;
    CIx2(const CIx2&) = default;
    CIx2& operator=(const CIx2&) = default;

    // From the first `bytesRead` bytes of m_indexRegion: the index and split values, the
    // reference record (index block 2) and, with a whole region, the first data block.
    void ParseIndexRegion(std::size_t bytesRead);
    void CheckIndexBlocks();
    // Chain files: the split and recording values from the index entries, the first inner
    // block (bytesOfFirst of it in m_block) giving the reference values. `outer` holds the
    // header region and deciphers the index tables.
    void ReadSplitIndex(std::uint64_t blocksPresent, std::size_t bytesOfFirst, CIx2& outer);
    void SetSplitSnapshot(std::uint32_t fileNumber, const std::string& unitId,
                          const COleDateTime& start, const COleDateTime& splitStart);

    COleDateTime SplitStartTime() const;
    COleDateTime SplitPositionTime() const;
    std::int64_t SplitPlayedMs() const;
    std::int64_t SplitPlayedMsByCounter() const;
    std::int64_t SplitMs() const { return BlocksToMs(m_nSplitBlocks); }
    COleDateTimeSpan SplitSpan() const { return COleDateTimeSpan::FromMs(SplitMs()); }
    bool IsWholeSplit() const { return m_bWholeSplit; }
    bool HasSplitIndex() const { return m_bSplitIndex; }   // only a chain's inner stream has it

    // Index block i (0..2) of the header region.
    RecordView IndexBlock(std::size_t i) const;
    // The index region holds a data block that decodes raw: the file is a chain.
    bool IsChainHeader() const { return m_bRaw8; }

    std::array<std::uint8_t, kIx2HeaderRegion> m_indexRegion{};
    bool m_bIndexChecked = false;
    std::array<BlockStatus, 3> m_indexStatus{};
    std::uint64_t m_nSplitFirst = kUnknownBlock;
    std::uint64_t m_nSplitLast = kUnknownBlock;
    std::uint64_t m_nSplitBlocks = 0;
    bool m_bSplitIndex = false;
    std::uint32_t m_nSnapFileNumber = 0;
    std::string m_strSnapUnitId;
    COleDateTime m_snapStart;
    COleDateTime m_snapSplitStart;
    bool m_bWholeSplit = false;

private:
    void ForgetSplit();
    std::size_t SearchTable(CIx2& outer, std::size_t indexBlock, std::uint16_t fileNumber,
                            std::uint16_t unitNumber, std::array<std::uint8_t, 16>& entry);
};

}  // namespace tvx

#include "formats/ix2/ix2.h"

#include "core/bytes.h"
#include "formats/ix2/ix2_worker.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace tvx {

namespace {

constexpr std::size_t kIndexBlockAt[3] = {128, 656, 1184};
constexpr std::size_t kFirstDataAt = 1712;
constexpr std::size_t kEntryChecksumAt = 14;

bool EntryChecksumHolds(std::span<const std::uint8_t> entry) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < kEntryChecksumAt; ++i)
        sum = static_cast<std::uint8_t>(sum + entry[i]);
    return entry[kEntryChecksumAt] == sum;
}

std::uint32_t BlockIndexAt(const std::array<std::uint8_t, kIx2HeaderRegion>& region,
                           std::size_t recordAt) {
    return LoadLe32(region, recordAt + kOffBlockIndex);
}

}  // namespace

std::size_t FindIndexEntry(std::span<const std::uint8_t, kPayloadSize> table,
                           std::uint16_t fileNumber, std::uint16_t unitNumber) {
    for (std::size_t at = 0; at + kIndexEntrySize <= table.size(); at += kIndexEntrySize) {
        const auto entry = table.subspan(at, kIndexEntrySize);
        if (!EntryChecksumHolds(entry))
            continue;
        if (LoadLe16(entry, 0) == fileNumber && LoadLe16(entry, 2) == unitNumber)
            return at;
    }
    return kNoIndexEntry;
}

std::uint64_t Ix2PlainBlocks(std::uint64_t fileLength) {
    const std::uint64_t records = fileLength < kIx2Preamble ? 0 : (fileLength - kIx2Preamble) / kRecordSize;
    return records < 3 ? 0 : records - 3;
}

std::uint64_t Ix2ChainBlocks(std::uint64_t fileLength) {
    return Ix2PlainBlocks(fileLength) * kPayloadSize / kRecordSize;
}

CIx2::CIx2(const PlaybackSetup& setup) {
    StartWorker(
        setup, this,
        [image = std::make_shared<CIx2>(*this)](Im2Command& command) {
            Ix2Worker worker(command, *image);
            worker.Run();
        },
        WorkerThread::Priority::BelowNormal);
}

// The worker is asked to end before this object's members go.
CIx2::~CIx2() { StopWorker(); }

RecordView CIx2::IndexBlock(std::size_t i) const {
    return RecordView(m_indexRegion.data() + kIndexBlockAt[i], kRecordSize);
}

void CIx2::ForgetSplit() {
    m_nSplitFirst = kUnknownBlock;
    m_nSplitLast = kUnknownBlock;
    m_nSplitBlocks = 0;
    m_nBlock = kUnknownIndex;
    m_nFirstIndex = kUnknownIndex;
    m_nLastIndex = kUnknownIndex;
    m_nStatedBlocks = 0;
}

void CIx2::ParseIndexRegion(std::size_t bytesRead) {
    m_bSplitIndex = false;
    m_bIndexChecked = false;
    m_bRaw8 = false;    // without index block 2 the file cannot be a chain
    ForgetSplit();
    if (bytesRead < kIndexBlockAt[1])
        return;
    m_nSplitLast = BlockIndexAt(m_indexRegion, kIndexBlockAt[0]);
    if (bytesRead < kIndexBlockAt[2])
        return;
    m_nFirstIndex = BlockIndexAt(m_indexRegion, kIndexBlockAt[1]);
    if (bytesRead < kFirstDataAt) {
        m_nLastIndex = m_nFirstIndex;
        return;
    }
    std::copy_n(m_indexRegion.begin() + kIndexBlockAt[2], kRecordSize, m_block.begin());
    InitFromHeader();   // sets the recording's first block back to 0: the count is last + 1
    CheckIndexBlocks();
    m_nBlock = kUnknownIndex;
    if (bytesRead < kIx2HeaderRegion)
        return;
    m_nSplitFirst = BlockIndexAt(m_indexRegion, kFirstDataAt);
    m_nBlock = static_cast<std::uint32_t>(m_nSplitFirst);
    m_nSplitBlocks = m_nSplitLast - m_nSplitFirst + 1;
    std::copy_n(m_indexRegion.begin() + kFirstDataAt, kRecordSize, m_block.begin());
}

void CIx2::CheckIndexBlocks() {
    m_indexStatus[0] = CheckRecord(IndexBlock(0), true);
    m_indexStatus[1] = CheckRecord(IndexBlock(1), false);
    m_indexStatus[2] = CheckRecord(IndexBlock(2), false);
    m_bIndexChecked = true;
}

std::size_t CIx2::SearchTable(CIx2& outer, std::size_t indexBlock, std::uint16_t fileNumber,
                              std::uint16_t unitNumber, std::array<std::uint8_t, 16>& entry) {
    // The outer image deciphers its own index blocks; its record is put back afterwards.
    const Record kept = outer.m_block;
    std::copy_n(outer.IndexBlock(indexBlock).begin(), kRecordSize, outer.m_block.begin());
    std::array<std::uint8_t, kMaxDecodedBytes> decoded{};
    std::uint16_t count = 0;
    outer.Decode(decoded, &count);
    outer.m_block = kept;
    const std::span<const std::uint8_t, kPayloadSize> table(decoded.data(), kPayloadSize);
    const std::size_t at = FindIndexEntry(table, fileNumber, unitNumber);
    if (at != kNoIndexEntry)
        std::copy_n(table.begin() + static_cast<std::ptrdiff_t>(at), kIndexEntrySize,
                    entry.begin());
    return at;
}

void CIx2::ReadSplitIndex(std::uint64_t blocksPresent, std::size_t bytesOfFirst, CIx2& outer) {
    // The split's end and the recording's end stay as the plain parse of the header region
    // left them unless an entry names them.
    m_nFirstIndex = 0;
    m_nFileBlocks = static_cast<std::uint32_t>(blocksPresent);
    m_bSplitIndex = true;
    if (bytesOfFirst < kRecordSize) {
        // Without a first inner block there is no key to find the entries by.
        m_nSplitFirst = kUnknownBlock;
        m_nBlock = kUnknownIndex;
        return;
    }
    const std::uint32_t plainLast = m_nLastIndex;
    const std::uint32_t plainStated = m_nStatedBlocks;
    InitFromHeader();   // the inner block's format and identity
    m_nFirstIndex = 0;
    m_nLastIndex = plainLast;
    m_nStatedBlocks = plainStated;
    m_nSplitFirst = BlockIndexOf(m_block);
    m_nBlock = BlockIndexOf(m_block);
    const std::uint16_t fileNumber = FileNumberOf(m_block);
    const std::uint16_t unitNumber = UnitNumberOf(m_block);

    std::array<std::uint8_t, 16> entry{};
    if (SearchTable(outer, 2, fileNumber, unitNumber, entry) != kNoIndexEntry) {
        m_nLastIndex = LoadLe32(entry, 8);
        m_nStatedBlocks = m_nLastIndex + 1;
    }
    if (SearchTable(outer, 0, fileNumber, unitNumber, entry) != kNoIndexEntry) {
        m_nSplitLast = LoadLe32(entry, 8);
        m_nSplitBlocks = m_nSplitLast - m_nSplitFirst + 1;
    }
}

void CIx2::SetSplitSnapshot(std::uint32_t fileNumber, const std::string& unitId,
                            const COleDateTime& start, const COleDateTime& splitStart) {
    m_nSnapFileNumber = fileNumber;
    m_strSnapUnitId = unitId;
    m_snapStart = start;
    m_snapSplitStart = splitStart;
}

COleDateTime CIx2::SplitStartTime() const {
    return StartTime() + COleDateTimeSpan::FromMs(BlocksToMs(m_nSplitFirst));
}

COleDateTime CIx2::SplitPositionTime() const {
    return SplitStartTime() + COleDateTimeSpan::FromMs(SplitPlayedMs());
}

std::int64_t CIx2::SplitPlayedMs() const {
    return BlocksToMs(std::uint64_t{BufferedIndex()} + 1 - m_nSplitFirst) - QueuedMs();
}

std::int64_t CIx2::SplitPlayedMsByCounter() const {
    return BlocksToMs(std::uint64_t{CurrentBlock()} + 1 - m_nSplitFirst) - QueuedMs();
}

}  // namespace tvx

#include "formats/ix2/ix2_source.h"

#include <algorithm>

namespace tvx {

std::optional<Error> Ix2Source::Open(const std::string& path) {
    CFileException failure;
    if (!m_file.Open(path, kGenericRead, kShareRead | kShareWrite, kOpenExisting, &failure,
                     kFlagSequentialScan)) {
        Error e = failure.ToError();
        e.path = path;
        return e;
    }
    try {
        Parse();
    } catch (const CFileException& e) {
        Error error = e.ToError();
        error.path = path;
        return error;
    }
    return std::nullopt;
}

void Ix2Source::Reload() { Parse(); }

void Ix2Source::Parse() {
    m_bStreamKnown = false;
    m_nSkip = 0;
    m_file.SeekTo(0);
    m_nRegionBytes = m_file.ReadFull(m_outer.m_indexRegion.data(), kIx2HeaderRegion);
    m_outer.ParseIndexRegion(m_nRegionBytes);
    m_bChain = m_outer.IsChainHeader();
    if (m_bChain) {
        SetUpChain();
    } else {
        m_bHeaderBad = !m_outer.m_bIndexChecked ||
                       std::any_of(m_outer.m_indexStatus.begin(), m_outer.m_indexStatus.end(),
                                   [](BlockStatus s) { return IsIrregular(s); });
        const std::uint64_t present = Ix2PlainBlocks(m_file.GetLength());
        m_outer.m_nFileBlocks = static_cast<std::uint32_t>(present);
        m_outer.m_bComplete = m_outer.m_nStatedBlocks == present;
        m_outer.m_bWholeSplit = m_outer.m_nSplitBlocks == present;
    }
    m_file.SeekTo(kIx2DataStart);
    m_ring.Clear();
}

void Ix2Source::SetUpChain() {
    // The region holds the first outer block; the one after it completes inner block 0.
    m_ring.Clear();
    FeedOuter(RecordView(m_outer.m_indexRegion.data() + kIx2DataStart, kRecordSize));
    Record second{};
    if (m_file.ReadFull(second.data(), kRecordSize) == kRecordSize)
        FeedOuter(second);
    // The inner stream starts from the plain parse of the region; the tables refine it.
    m_inner.m_indexRegion = m_outer.m_indexRegion;
    m_inner.ParseIndexRegion(m_nRegionBytes);
    const std::int32_t taken = std::min<std::int32_t>(kRecordSize, m_ring.GetCount());
    m_ring.Read(m_inner.m_block.data(), taken);
    const std::uint64_t present = Ix2ChainBlocks(m_file.GetLength());
    m_inner.ReadSplitIndex(present, static_cast<std::size_t>(taken), m_outer);
    m_bHeaderBad = taken < static_cast<std::int32_t>(kRecordSize) || m_inner.IsHeaderBad();
    m_inner.SetSplitSnapshot(m_outer.GetFileNumber(), m_outer.GetUnitId(), m_outer.StartTime(),
                             m_outer.SplitStartTime());
    m_inner.m_bComplete = m_inner.m_nStatedBlocks == present;
    m_inner.m_bWholeSplit = m_inner.m_nSplitBlocks == present;
}

void Ix2Source::FeedOuter(RecordView outer, bool keep) {
    m_bStreamKnown = false;
    if (keep)
        std::copy(outer.begin(), outer.end(), m_outer.m_block.begin());
    Feed(outer);
}

void Ix2Source::Feed(RecordView outer) {
    // Decoded straight into the ring where it has the room unbroken, as it mostly has.
    const std::span<std::uint8_t> room = m_ring.GetWriteSpace(kMaxDecodedBytes);
    if (!room.empty()) {
        m_ring.CommitWrite(m_outer.DecodeUnjudged(outer, room));
    } else {
        std::array<std::uint8_t, kMaxDecodedBytes> payload;
        m_ring.Write(payload.data(), m_outer.DecodeUnjudged(outer, payload));
    }
    m_outer.NextBlock();   // an outer block's own verdict is never reported
    if (m_nSkip > 0 && m_ring.GetCount() >= static_cast<std::int32_t>(m_nSkip)) {
        m_ring.Skip(static_cast<std::int32_t>(m_nSkip));
        m_nSkip = 0;
    }
}

void Ix2Source::FeedOuterBlock() { Feed(m_outer.m_block); }

bool Ix2Source::TakeInner(Record& out) {
    m_bStreamKnown = false;
    if (m_ring.GetCount() < static_cast<std::int32_t>(kRecordSize))
        return false;
    m_ring.Read(out.data(), kRecordSize);
    return true;
}

void Ix2Source::SeekBlock(std::uint64_t k) {
    m_ring.Clear();
    m_nSkip = 0;
    if (!m_bChain) {
        m_file.SeekTo(kIx2DataStart + k * kRecordSize);
        return;
    }
    const ChainPosition at = ChainPositionOf(k);
    m_nStreamAt = m_file.SeekTo(kIx2DataStart + at.outer * kRecordSize);
    m_outer.m_nBlock = static_cast<std::uint32_t>(m_outer.m_nSplitFirst + at.outer);
    m_nSkip = at.skip;
    m_nStreamNext = k;
    m_bStreamKnown = true;
}

bool Ix2Source::NextBlock(Record& out) {
    if (!m_bChain)
        return m_file.ReadFull(out.data(), kRecordSize) == kRecordSize;
    const bool known = m_bStreamKnown;
    m_bStreamKnown = false;
    while (m_ring.GetCount() < static_cast<std::int32_t>(kRecordSize)) {
        Record outer{};
        if (m_file.ReadFull(outer.data(), kRecordSize) != kRecordSize)
            return false;
        FeedOuter(outer);
    }
    m_ring.Read(out.data(), kRecordSize);
    if (known) {
        m_bStreamKnown = true;
        ++m_nStreamNext;
        m_nStreamAt = m_file.GetPosition();
    }
    return true;
}

bool Ix2Source::PlayBlock(std::uint64_t k, Record& out) {
    // Going on from the block before gives the same bytes and the same outer block numbers
    // as positioning afresh, without deciphering its outer blocks twice.
    if (!m_bStreamKnown || m_nStreamNext != k || m_file.GetPosition() != m_nStreamAt)
        SeekBlock(k);
    return NextBlock(out);
}

}  // namespace tvx

#include "formats/ix2/ix2_worker.h"

#include "core/scan_pieces.h"
#include "formats/format_of.h"

#include <algorithm>

namespace tvx {

Ix2Worker::Ix2Worker(Im2Command& command, CIx2& image) : Im2Worker(command, image), m_ix2(image) {}

bool Ix2Worker::OpenImage(const std::string& path) {
    if (ReadsIx2AsIm2(path))
        return Im2Worker::OpenImage(path);
    auto source = std::make_unique<Ix2Source>();
    if (source->Open(path))
        return false;
    m_source = std::move(source);
    TakeSourceState();
    m_source->SeekBlock(0);
    return true;
}

void Ix2Worker::TakeSourceState() {
    // The audio image's state: the file itself, or a chain's inner stream.
    m_ix2 = m_source->Reader();
    m_ix2.m_bHeaderBad = m_source->IsHeaderBad();
    m_ix2.m_nQueuedMs = 0;
}

void Ix2Worker::HandOverTo(CIm2& reader) const { static_cast<CIx2&>(reader) = m_ix2; }

void Ix2Worker::CloseImage() {
    m_source.reset();
    Im2Worker::CloseImage();
}

bool Ix2Worker::IsImageOpen() const {
    return IsIx2() ? m_source->File().IsOpen() : Im2Worker::IsImageOpen();
}

std::uint32_t Ix2Worker::FirstBlock() const {
    return IsIx2() ? static_cast<std::uint32_t>(m_ix2.m_nSplitFirst) : 0;
}

bool Ix2Worker::ReadPlayBlock() {
    if (!IsIx2())
        return Im2Worker::ReadPlayBlock();
    if (!m_source->IsChain())
        return m_source->NextBlock(m_ix2.m_block);
    return m_source->PlayBlock(static_cast<std::uint32_t>(m_ix2.m_nBlock - FirstBlock()),
                               m_ix2.m_block);
}

void Ix2Worker::ReturnToStart() {
    if (!IsIx2())
        return Im2Worker::ReturnToStart();
    m_source->SeekBlock(0);
    m_source->NextBlock(m_ix2.m_block);
    m_source->SeekBlock(0);
    m_ix2.m_nBlock = FirstBlock();
}

void Ix2Worker::StopAtStart() {
    if (!IsIx2())
        return Im2Worker::StopAtStart();
    // The header region, split and snapshot as at opening: a block of another unit played
    // since leaves nothing behind.
    m_source->Reload();
    TakeSourceState();
    m_source->SeekBlock(0);
    m_ix2.m_nBlock = FirstBlock();
    ForgetUnit();
}

bool Ix2Worker::SeekLands(std::uint64_t target) const {
    if (!IsIx2())
        return Im2Worker::SeekLands(target);
    const std::uint64_t length = m_source->File().GetLength();
    if (target >= length)   // no block lies there, and no overflow below
        return false;
    const std::uint64_t outer = m_source->IsChain() ? ChainPositionOf(target).outer : target;
    return kIx2DataStart + outer * kRecordSize < length;
}

void Ix2Worker::SeekToBlock(std::uint64_t target) {
    if (!IsIx2())
        return Im2Worker::SeekToBlock(target);
    if (!SeekLands(target))
        return;
    m_source->SeekBlock(target);
    m_source->NextBlock(m_ix2.m_block);
    m_ix2.m_nBlock = static_cast<std::uint32_t>(m_ix2.m_nSplitFirst + target);
    m_source->SeekBlock(target);
    ResetDevice();
}

void Ix2Worker::ReportIndexBlocks() {
    CIx2& outer = m_source->Outer();
    CFile64& file = m_source->File();
    file.SeekTo(0);
    file.ReadFull(outer.m_indexRegion.data(), kIx2HeaderRegion);
    outer.CheckIndexBlocks();
    for (std::size_t i = 0; i < 3; ++i)
        Report(static_cast<std::int32_t>(i) - 3, outer.m_indexStatus[i]);
}

void Ix2Worker::ReportHeader() {
    if (!IsIx2())
        return Im2Worker::ReportHeader();
    ReportIndexBlocks();
    m_source->SeekBlock(0);
}

void Ix2Worker::ScanImage() {
    if (!IsIx2())
        return Im2Worker::ScanImage();
    ReportIndexBlocks();
    m_source->SeekBlock(0);
    m_ix2.m_nBlock = FirstBlock();
    ScanPieces pieces(m_source->File());
    for (;;) {
        // A stop is noticed before the next piece: the file stays just past the last one judged.
        if (!ScanGoesOn()) {
            pieces.Settle();
            return Publish();
        }
        const std::span<const std::uint8_t> piece = pieces.Next();
        if (piece.empty())
            break;
        ScanIx2Piece(*m_source, m_ix2, piece, [this](std::int32_t index, BlockStatus status) {
            Report(index, status);
        });
        Publish();
    }
    m_source->SeekBlock(0);
    m_ix2.m_nBlock = FirstBlock();
    Done(m_cmd.m_bScan);
}

}  // namespace tvx

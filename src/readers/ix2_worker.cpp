#include "readers/ix2_worker.h"

#include <algorithm>

namespace tvx {

Ix2Worker::Ix2Worker(CIx2& reader) : Im2Worker(reader), m_ix2(reader) {}

bool Ix2Worker::OpenImage(const std::string& path) {
    if (HasIm2Ending(path))
        return Im2Worker::OpenImage(path);
    auto source = std::make_unique<Ix2Source>();
    if (source->Open(path))
        return false;
    // The reader takes the audio image's state: the file itself, or a chain's inner stream.
    m_ix2 = source->Reader();
    m_ix2.m_bHeaderBad = source->IsHeaderBad();
    m_ix2.m_nQueuedMs = 0;
    source->SeekBlock(0);
    m_source = std::move(source);
    return true;
}

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
    return IsIx2() ? m_source->NextBlock(m_ix2.m_block) : Im2Worker::ReadPlayBlock();
}

void Ix2Worker::ReturnToStart() {
    if (!IsIx2())
        return Im2Worker::ReturnToStart();
    m_source->SeekBlock(0);
    m_source->NextBlock(m_ix2.m_block);
    m_source->SeekBlock(0);
    m_ix2.m_nBlock = FirstBlock();
}

void Ix2Worker::SeekToBlock(std::uint64_t target) {
    if (!IsIx2())
        return Im2Worker::SeekToBlock(target);
    const std::uint64_t length = m_source->File().GetLength();
    if (target >= length)   // no block lies there, and no overflow below
        return;
    const std::uint64_t outer = m_source->IsChain() ? ChainPositionOf(target).outer : target;
    if (kIx2DataStart + outer * kRecordSize >= length)
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
    ReadFull(file, outer.m_indexRegion.data(), kIx2HeaderRegion);
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
    CFile64& file = m_source->File();
    for (;;) {
        const std::uint32_t got =
            file.Read(m_piece.data(), static_cast<std::uint32_t>(m_piece.size()));
        if (got == 0)
            break;
        // A stop drops the piece just read; the file and the counter stay where they are.
        if (!ScanGoesOn())
            return Publish();
        for (std::size_t at = 0; at + kRecordSize <= got; at += kRecordSize)
            ScanRecord(RecordView(m_piece.data() + at, kRecordSize));
        Publish();
    }
    m_source->SeekBlock(0);
    m_ix2.m_nBlock = FirstBlock();
    Done(m_cmd.m_bScan);
}

void Ix2Worker::ScanRecord(RecordView record) {
    if (!m_source->IsChain()) {
        std::copy(record.begin(), record.end(), m_ix2.m_block.begin());
        return CheckAudioBlock();
    }
    // Each outer block is deciphered once; the inner blocks it completes are judged.
    m_source->FeedOuter(record);
    while (m_source->TakeInner(m_ix2.m_block))
        CheckAudioBlock();
}

void Ix2Worker::CheckAudioBlock() {
    Report(IndexOf(m_ix2.m_nBlock), m_ix2.CheckBlock());
    m_ix2.NextBlock();
}

}  // namespace tvx

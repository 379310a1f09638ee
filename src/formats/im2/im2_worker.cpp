#include "formats/im2/im2_worker.h"

#include "core/bytes.h"
#include "core/model_table.h"
#include "core/scan_pieces.h"

#include <chrono>

namespace tvx {

// Stopped or paused, an IM2 worker looks at its requests every 100 ms.
Im2Worker::Im2Worker(Im2Command& command, CIm2& image)
    : ReaderWorker(command, std::chrono::milliseconds(100)), m_cmd(command), m_reader(image) {}

ReaderWorker::DeviceFormat Im2Worker::FormatOfDevice() const {
    return {static_cast<std::uint32_t>(m_reader.m_nSampleRate),
            static_cast<std::uint16_t>(m_reader.m_nOutputBits),
            static_cast<std::uint16_t>(m_reader.m_nChannels)};
}

void Im2Worker::HandOver() {
    m_cmd.m_owner.With([this](CIm2& reader) { HandOverTo(reader); });
}

bool Im2Worker::SeekLands(std::uint64_t target) const {
    const std::uint64_t length = m_file.GetLength();
    return target < length / kRecordSize && (target + 1) * kRecordSize < length;
}

bool Im2Worker::OpenImage(const std::string& path) {
    CFileException failure;
    if (!m_file.Open(path, kGenericRead, kShareRead, kOpenExisting, &failure))
        return false;
    Record header{};
    m_file.ReadFull(header.data(), kRecordSize);
    m_reader.m_block = header;
    m_reader.InitFromHeader();
    m_reader.m_bHeaderBad = m_reader.IsHeaderBad();
    m_reader.SetFileLength(m_file.GetLength());
    // The play time reads 0 until the first block is played.
    StoreLe32(m_reader.m_block, kOffBlockIndex, 0);
    m_reader.m_nBlock = 0;
    return true;
}

bool Im2Worker::ReadPlayBlock() {
    return m_file.ReadFull(m_reader.m_block.data(), kRecordSize) == kRecordSize;
}

std::span<const std::uint8_t> Im2Worker::DecodePlayBlock(double gain) {
    m_reader.m_dGain = gain;
    std::uint16_t count = 0;
    const BlockStatus status = m_reader.Decode(m_decoded, &count);
    NoteUnit();
    Report(IndexOf(m_reader.m_nBlock), status);
    m_reader.NextBlock();
    return std::span(m_decoded).first(count);
}

void Im2Worker::ReturnToStart() {
    m_file.SeekTo(kRecordSize);
    m_file.ReadFull(m_reader.m_block.data(), kRecordSize);
    m_file.SeekTo(kRecordSize);
    m_reader.m_nBlock = 0;
}

void Im2Worker::SeekToBlock(std::uint64_t target) {
    if (!SeekLands(target))
        return;
    const std::uint64_t at = (target + 1) * kRecordSize;
    m_file.SeekTo(at);
    m_file.ReadFull(m_reader.m_block.data(), kRecordSize);
    m_reader.m_nBlock = static_cast<std::uint32_t>(target);
    m_file.SeekTo(at);
    ResetDevice();
}

void Im2Worker::ReportHeader() {
    m_file.SeekTo(0);
    m_file.ReadFull(m_reader.m_block.data(), kRecordSize);
    Report(-1, m_reader.CheckBuffered(true));
}

void Im2Worker::ScanImage() {
    ReportHeader();
    m_reader.m_nBlock = 0;
    ScanPieces pieces(m_file);
    for (;;) {
        const std::span<const std::uint8_t> piece = pieces.Next();
        if (piece.empty())
            break;
        // A stop drops the piece just read; the file and the counter stay where they are.
        if (!ScanGoesOn()) {
            pieces.Settle();
            return Publish();
        }
        ScanIm2Piece(m_reader, piece, [this](std::int32_t index, BlockStatus status) {
            Report(index, status);
        });
        Publish();
    }
    m_file.SeekTo(kRecordSize);
    m_reader.m_nBlock = 0;
    Done(m_cmd.m_bScan);
}

void Im2Worker::TakeOwnRequests() {
    if (!m_cmd.m_bRewindReq.load())
        return;
    ReportHeader();
    Done(m_cmd.m_bRewindReq);
}

void Im2Worker::ForgetOwnRequests() {
    m_cmd.m_bRewindReq.store(false);
    m_reader.m_nBlock = 0;
}

void Im2Worker::NoteUnit() {
    const RecordView block = m_reader.m_block;
    const std::uint32_t key = std::uint32_t{ModelCodeOf(block)} << 16 | UnitNumberOf(block);
    if (key == m_unitKey)
        return;
    m_unitKey = key;
    m_reader.m_strUnitId = FormatUnitId(ModelCodeOf(block), UnitNumberOf(block));
    m_cmd.PublishUnitId(m_reader.m_strUnitId);
}

void Im2Worker::ForgetUnit() {
    m_unitKey = ~0u;
    m_cmd.PublishUnitId(m_reader.m_strUnitId);
}

void Im2Worker::Report(std::int32_t index, BlockStatus status) const {
    if (const BlockCallback callback = m_cmd.m_pfnBlock.load())
        callback(index, status);
}

void Im2Worker::PublishState() {
    Im2Command::Published& p = m_cmd.m_published;
    p.block.store(m_reader.m_nBlock);
    p.bufferedIndex.store(BlockIndexOf(m_reader.m_block));
    p.bufferedTimestamp.store(TimestampOf(m_reader.m_block));
}

}  // namespace tvx

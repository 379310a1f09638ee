#include "formats/img/img_worker.h"

#include "core/bytes.h"
#include "core/hooks.h"
#include "core/scan_pieces.h"

#include <chrono>

namespace tvx {

// Stopped or paused, an IMG worker looks at its requests every 10 ms.
ImgWorker::ImgWorker(ImgCommand& command, CImg& image)
    : ReaderWorker(command, std::chrono::milliseconds(10)), m_cmd(command), m_img(image) {}

void ImgWorker::HandOver() {
    m_cmd.m_owner.With([this](CImg& reader) { reader = m_img; });
}

bool ImgWorker::OpenImage(const std::string& path) {
    CFileException failure;
    if (!m_file.Open(path, kGenericRead, kShareRead, kOpenExisting, &failure))
        return false;
    MakeDevice();
    Record first{};
    m_file.ReadFull(first.data(), kRecordSize);
    m_img.m_record = first;
    m_file.SeekTo(0);
    m_img.ParseReference();
    m_img.m_nRecordCount = m_img.CountRecords(m_file);
    // The play time reads 0 until the first record is played.
    StoreLe32(m_img.m_record, kImgOffBlockNumber, 0);
    m_img.m_nQueuedMs = 0;
    m_img.m_nRecordCounter = 1;
    return true;
}

void ImgWorker::OpenFailed(const std::string& path) {
    if (Notices* notices = m_cmd.m_setup.notices)
        notices->Notice("", "Failed to open: " + path);
}

bool ImgWorker::ReadPlayBlock() {
    return m_file.GetPosition() < AudioEnd() &&
           m_file.ReadFull(m_img.m_record.data(), kRecordSize) == kRecordSize;
}

std::span<const std::uint8_t> ImgWorker::DecodePlayBlock(double gain) {
    m_img.m_dGain = gain;
    std::uint16_t count = 0;
    const BlockStatus flags = m_img.DecodeRecord(m_samples, &count);
    Report(m_img.m_nRecordCounter - 1, flags);
    ++m_img.m_nRecordCounter;
    return std::span(m_samples).first(count);
}

void ImgWorker::ScanImage() {
    m_file.SeekTo(0);
    m_img.m_nRecordCounter = 1;
    ScanPieces pieces(m_file);
    // A stop takes effect before the next piece; the file and the counter stay where they are.
    while (ScanGoesOn()) {
        const std::span<const std::uint8_t> piece = pieces.Next();
        if (piece.empty()) {
            m_file.SeekTo(0);
            m_img.m_nRecordCounter = 1;
            return Done(m_cmd.m_bScan);
        }
        ScanImgPiece(m_img, piece, [this](std::uint32_t index, BlockStatus flags) {
            Report(index, flags);
        });
        Publish();
    }
    pieces.Settle();
}

void ImgWorker::ReturnToStart() {
    m_file.SeekTo(0);
    m_file.ReadFull(m_img.m_record.data(), kRecordSize);
    m_file.SeekTo(0);
    m_img.m_nRecordCounter = 1;
}

bool ImgWorker::SeekLands(std::uint32_t target) const {
    // No record 0: nothing lies there.
    return target != 0 && (std::uint64_t{target} - 1) * kRecordSize < m_file.GetLength();
}

void ImgWorker::TakeSeek() {
    const std::uint32_t target = m_cmd.m_nSeekTarget.load();
    if (!SeekLands(target))
        return;
    const std::uint64_t at = (std::uint64_t{target} - 1) * kRecordSize;
    m_file.SeekTo(at);
    m_file.ReadFull(m_img.m_record.data(), kRecordSize);
    m_file.SeekTo(at);
    m_img.m_nRecordCounter = target;
    ResetDevice();
}

void ImgWorker::TakeOwnRequests() {
    if (m_cmd.m_bSpareReq.load())
        Done(m_cmd.m_bSpareReq);
}

void ImgWorker::Report(std::uint32_t index, std::uint32_t flags) const {
    if (const RecordCallback callback = m_cmd.m_pfnRecord.load())
        callback(index, flags);
}

void ImgWorker::PublishState() {
    ImgCommand::Published& p = m_cmd.m_published;
    p.counter.store(m_img.m_nRecordCounter);
    p.bufferedNumber.store(LoadLe32(m_img.m_record, kImgOffBlockNumber));
}

}  // namespace tvx

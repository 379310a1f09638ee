#include "formats/img/authenticate_img.h"

#include "core/file64.h"
#include "core/string_table.h"
#include "formats/img/img_decode.h"
#include "formats/pass_reads.h"

#include <algorithm>
#include <limits>

namespace tvx {

namespace {

class ImgScan {
public:
    ImgScan(CImg& img, Hooks& hooks, AuthTally& tally, AuthReport& report)
        : m_img(img), m_hooks(hooks), m_tally(tally), m_report(report) {}

    void Run(CFile64& file, std::size_t pieceRecords) {
        file.SeekToBegin();
        m_img.m_nRecordCounter = 1;
        std::vector<std::uint8_t> piece(std::max<std::size_t>(pieceRecords, 1) * kRecordSize);
        for (;;) {
            const std::uint32_t got = file.Read(piece.data(), static_cast<std::uint32_t>(piece.size()));
            if (got == 0)
                return;
            if (m_hooks.IsCancelled()) {
                m_report.cancelled = true;
                return;
            }
            ScanImgPiece(m_img, std::span(piece).first(got),
                         [this](std::uint32_t index, BlockStatus flags) {
                             const BlockStatus voice = FollowVoiceChain();
                             Report(static_cast<std::int32_t>(index), flags, voice);
                         });
            m_hooks.SetPos(ProgressValue(m_img.GetCounterTime()));
        }
    }

private:
    // As the conversion follows it: record 1 starts the chain and is not judged by it, and
    // erased records take no part.
    BlockStatus FollowVoiceChain() {
        const RecordView record(m_img.m_record);
        if (IsErasedRecord(record))
            return 0;
        const BlockStatus voice = StepVoiceChain(m_running, record, ImgBlockSum(record));
        if (m_img.m_nRecordCounter == 1 || voice == 0)
            return 0;
        ++m_report.voiceChecksumErrors;
        return voice;
    }

    // The window's counts see the record's own checks; the runs show the chain's breaks too.
    void Report(std::int32_t index, BlockStatus status, BlockStatus voice) {
        const bool counted = m_tally.OnBlockResult(index, status);
        const BlockStatus listed = status | voice;
        if (!counted || !IsIrregular(listed))
            return;
        m_report.irregular.Add(index, listed, m_img.TimeOfRecord(index),
                               m_img.TimeOfRecord(std::int64_t{index} + 1));
    }

    std::uint8_t m_running = 0;

    CImg& m_img;
    Hooks& m_hooks;
    AuthTally& m_tally;
    AuthReport& m_report;
};

void DescribeImg(const CImg& img, std::uint64_t fileLength, AuthReport& report) {
    report.format = "IMG";
    report.unitId = img.GetWindowUnitIdText();
    report.fileNumber = static_cast<std::uint16_t>(img.m_nRefFileNumber);
    report.sampleRate = static_cast<int>(img.m_nSampleRate);
    report.bits = static_cast<int>(img.m_nCoding);
    report.channels = 1;
    report.statedBlocks = img.m_nRecordCount;
    report.fileBlocks = img.m_nRecordCount;
    report.headerOk = true;
    report.complete = true;
    report.structureJudged = false;
    report.excessBytes = ImgExcessBytes(fileLength);
    report.voiceChain = true;
}

}  // namespace

Result<AuthReport> AuthenticateImg(const std::string& path, Hooks& hooks, AuthTally& tally,
                                   std::size_t pieceRecords) {
    CFile64 file;
    CImg img;
    if (auto failed = OpenImg(file, path, img))
        return *failed;
    AuthReport report;
    report.path = path;
    return homes::Caught<AuthReport>(path, [&]() -> Result<AuthReport> {
        if (!tally.Allocate(img.m_nRecordCount, 0))
            return OutOfMemoryError(path);
        DescribeImg(img, file.GetLength(), report);
        hooks.SetRange(ProgressValue(img.GetLengthMs()));
        ImgScan(img, hooks, tally, report).Run(file, pieceRecords);
        report.counts = tally.GetCounts();
        report.durations =
            ComputeDurations(report.counts, img.m_nRecordCount, img.GetLengthMs(),
                             [&img](std::uint64_t n) { return img.TimeOfRecord(static_cast<std::int64_t>(n)); });
        return report;
    });
}

std::uint64_t ImgExcessBytes(std::uint64_t fileLength) { return fileLength % kRecordSize; }

}  // namespace tvx

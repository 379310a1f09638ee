#include "formats/im2/authenticate_im2.h"

#include "core/file64.h"
#include "formats/im2/im2.h"
#include "formats/im2/im2_header.h"
#include "formats/pass_reads.h"

#include <algorithm>
#include <span>
#include <vector>

namespace tvx {

namespace {

class Im2Scan {
public:
    Im2Scan(Hooks& hooks, AuthTally& tally, AuthReport& report)
        : m_hooks(hooks), m_tally(tally), m_report(report) {}

    void Run(CFile64& file, std::size_t pieceRecords) {
        Report(-1, m_image.CheckBuffered(true));
        m_image.m_nBlock = 0;
        std::vector<std::uint8_t> piece(std::max<std::size_t>(pieceRecords, 1) * kRecordSize);
        for (;;) {
            const std::uint32_t got =
                file.Read(piece.data(), static_cast<std::uint32_t>(piece.size()));
            if (got == 0)
                return;
            // Like the reader, a stop request drops the piece just read unexamined.
            if (m_hooks.IsCancelled()) {
                m_report.cancelled = true;
                return;
            }
            ScanIm2Piece(m_image, std::span(piece).first(got),
                         [this](std::int32_t index, BlockStatus status) { Report(index, status); });
            m_hooks.SetPos(ProgressValue(m_image.PlayedMsByCounter()));
        }
    }

    CIm2& Image() { return m_image; }

private:
    void Report(std::int32_t index, BlockStatus status) {
        CountBlockVerdict(m_image, index, status, m_tally, m_report);
    }

    Hooks& m_hooks;
    AuthTally& m_tally;
    AuthReport& m_report;
    CIm2 m_image;
};

void DescribeImage(const CIm2& image, std::uint64_t fileLength, AuthReport& report) {
    report.format = "IM2";
    report.unitId = image.GetUnitId();
    report.fileNumber = image.GetFileNumber();
    report.start = image.StartTime();
    report.sampleRate = image.m_nSampleRate;
    report.bits = image.m_nStoredBits;
    report.channels = image.GetChannels();
    report.statedBlocks = image.m_nStatedBlocks;
    report.fileBlocks = image.m_nFileBlocks;
    report.headerOk = !image.m_bHeaderBad;
    report.complete = image.IsComplete();
    report.excessBytes = Im2ExcessBytes(fileLength, image.m_nStatedBlocks);
}

}  // namespace

void CountBlockVerdict(const CIm2& image, std::int32_t index, BlockStatus status,
                       AuthTally& tally, AuthReport& report) {
    if (!tally.OnBlockResult(index, status) || !IsIrregular(status))
        return;
    const std::uint64_t n = index < 0 ? 0 : static_cast<std::uint64_t>(index);
    report.irregular.Add(index, status, image.BlocksToMs(n), index < 0 ? 0 : image.BlocksToMs(n + 1));
}

Result<AuthReport> AuthenticateIm2(const std::string& path, Hooks& hooks, AuthTally& tally,
                                   std::size_t pieceRecords) {
    CFile64 file;
    if (auto failed = OpenImage(file, path))
        return *failed;
    AuthReport report;
    report.path = path;
    return homes::Caught<AuthReport>(path, [&]() -> Result<AuthReport> {
        Im2Scan scan(hooks, tally, report);
        CIm2& image = scan.Image();
        if (auto failed = LoadIm2Header(file, path, image))
            return *failed;
        if (!tally.Allocate(image.m_nStatedBlocks, 1))
            return OutOfMemoryError(path);
        DescribeImage(image, file.GetLength(), report);
        hooks.SetRange(ProgressValue(image.StatedMs()));
        scan.Run(file, pieceRecords);
        report.counts = tally.GetCounts();
        report.durations =
            ComputeDurations(report.counts, image.m_nStatedBlocks, image.StatedMs(),
                             [&image](std::uint64_t n) { return image.BlocksToMs(n); });
        return report;
    });
}

std::uint64_t Im2ExcessBytes(std::uint64_t fileLength, std::uint32_t statedBlocks) {
    return ExcessBytes(fileLength, (std::uint64_t{statedBlocks} + 1) * kRecordSize, 0);
}

}  // namespace tvx

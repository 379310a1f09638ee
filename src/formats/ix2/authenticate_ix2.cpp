#include "formats/ix2/authenticate_ix2.h"

#include "core/string_table.h"
#include "formats/im2/authenticate_im2.h"
#include "formats/ix2/ix2_source.h"
#include "formats/pass_reads.h"

#include <algorithm>
#include <limits>

namespace tvx {

namespace {

class Ix2Scan {
public:
    Ix2Scan(Ix2Source& source, Hooks& hooks, AuthTally& tally, AuthReport& report)
        : m_source(source), m_reader(source.Reader()), m_hooks(hooks), m_tally(tally),
          m_report(report) {}

    void Run(std::size_t pieceRecords) {
        CIx2& outer = m_source.Outer();
        outer.CheckIndexBlocks();
        for (int i = 0; i < 3; ++i)
            Report(i - 3, outer.m_indexStatus[static_cast<std::size_t>(i)]);
        m_source.File().SeekTo(kIx2DataStart);
        m_source.Ring().Clear();
        m_reader.m_nBlock = static_cast<std::uint32_t>(m_reader.m_nSplitFirst);
        std::vector<std::uint8_t> piece(std::max<std::size_t>(pieceRecords, 1) * kRecordSize);
        for (;;) {
            const std::uint32_t got = m_source.File().Read(
                piece.data(), static_cast<std::uint32_t>(piece.size()));
            if (got == 0)
                return;
            // Like the reader, a stop request drops the piece just read unexamined.
            if (m_hooks.IsCancelled()) {
                m_report.cancelled = true;
                return;
            }
            ScanIx2Piece(m_source, m_reader, std::span(piece).first(got),
                         [this](std::int32_t index, BlockStatus status) { Report(index, status); });
            m_hooks.SetPos(ProgressValue(m_reader.SplitPlayedMsByCounter()));
        }
    }

private:
    void Report(std::int32_t index, BlockStatus status) {
        CountBlockVerdict(m_reader, index, status, m_tally, m_report);
    }

    Ix2Source& m_source;
    CIx2& m_reader;
    Hooks& m_hooks;
    AuthTally& m_tally;
    AuthReport& m_report;
};

void DescribeIx2(Ix2Source& source, AuthReport& report) {
    const CIx2& r = source.Reader();
    report.format = "IX2";
    report.isIx2 = true;
    report.chain = source.IsChain();
    report.unitId = r.GetUnitId();
    report.fileNumber = r.GetFileNumber();
    report.start = r.StartTime();
    report.splitStart = r.SplitStartTime();
    report.sampleRate = r.m_nSampleRate;
    report.bits = r.m_nStoredBits;
    report.channels = r.GetChannels();
    report.statedBlocks = r.m_nStatedBlocks;
    report.fileBlocks = r.m_nFileBlocks;
    report.headerOk = !source.IsHeaderBad();
    report.complete = r.IsComplete();
    report.splitFirst = r.m_nSplitFirst;
    report.splitLast = r.m_nSplitLast;
    report.splitBlocks = r.m_nSplitBlocks;
    // Index blocks that name no split cannot vouch that the split is all here.
    report.wholeSplit = r.IsWholeSplit() && r.m_nSplitFirst != kUnknownBlock;
    report.excessBytes = Ix2ExcessBytes(source.File().GetLength(), r.m_nSplitBlocks, report.chain);
    if (report.chain) {
        report.slaveUnitId = r.m_strSnapUnitId;
        report.slaveFileNumber = static_cast<std::uint16_t>(r.m_nSnapFileNumber);
    }
}

}  // namespace

std::optional<Error> OpenIx2Image(Ix2Source& source, const std::string& path) {
    if (auto failed = source.Open(path))
        return failed;
    try {
        if (source.File().GetLength() >= kIx2DataStart)
            return std::nullopt;
    } catch (const CFileException& e) {
        Error error = e.ToError();
        error.path = path;
        return error;
    }
    return Error{Cause::BadFormat, 0, path, 0, "The file is too short to hold its index blocks"};
}

std::uint32_t Ix2StripBlocks(const CIx2& reader) {
    return static_cast<std::uint32_t>(reader.m_nSplitBlocks);
}

Result<AuthReport> AuthenticateIx2(const std::string& path, Hooks& hooks, AuthTally& tally,
                                   std::size_t pieceRecords) {
    Ix2Source source;
    if (auto failed = OpenIx2Image(source, path))
        return *failed;
    AuthReport report;
    report.path = path;
    return homes::Caught<AuthReport>(path, [&]() -> Result<AuthReport> {
        CIx2& reader = source.Reader();
        if (!tally.Allocate(Ix2StripBlocks(reader), 3))
            return OutOfMemoryError(path);
        DescribeIx2(source, report);
        hooks.SetRange(ProgressValue(reader.FileMs()));
        Ix2Scan(source, hooks, tally, report).Run(pieceRecords);
        report.counts = tally.GetCounts();
        report.durations =
            ComputeDurations(report.counts, reader.m_nSplitBlocks, reader.SplitMs(),
                             [&reader](std::uint64_t n) { return reader.BlocksToMs(n); });
        return report;
    });
}

std::uint64_t Ix2ExcessBytes(std::uint64_t fileLength, std::uint64_t splitBlocks, bool chain) {
    const std::uint64_t stored =
        chain ? (splitBlocks * kRecordSize + kPayloadSize - 1) / kPayloadSize : splitBlocks;
    return ExcessBytes(fileLength, kIx2DataStart + stored * kRecordSize, kIx2Preamble);
}

}  // namespace tvx

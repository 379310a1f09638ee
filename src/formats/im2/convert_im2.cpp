#include "formats/im2/convert_im2.h"

#include "core/file64.h"
#include "core/format.h"
#include "core/string_table.h"
#include "export/convert_pass.h"
#include "export/segment_writer.h"
#include "export/segments.h"
#include "formats/im2/im2.h"
#include "formats/im2/im2_blocks.h"
#include "formats/im2/im2_summary.h"

#include <thread>

namespace tvx {
namespace {

class Im2Pass {
public:
    Im2Pass(const ConvertRequest& request, const OutputTarget& target, Hooks& hooks,
            const PassOptions& options, ConvertResult& result)
        : m_request(request), m_target(target), m_hooks(hooks), m_options(options),
          m_result(result) {}

    void Run() {
        CFileException openFailure;
        if (!m_source.Open(m_request.source, kGenericRead, kShareRead, kOpenExisting,
                           &openFailure, kFlagSequentialScan)) {
            m_result.error = openFailure.ToError();
            return;
        }
        m_hooks.SetPos(0);
        m_hooks.ShowProgress(true);
        if (!ReadHeader())
            return;
        const std::uint32_t limit =
            SegmentByteLimit(m_image.GetChannels(), m_image.m_nOutputBits, m_image.m_nSampleRate,
                             m_request.megabytes, m_request.minutes);

        const WaveFormat format{static_cast<std::uint32_t>(m_image.m_nSampleRate),
                                static_cast<std::uint16_t>(m_image.m_nOutputBits),
                                static_cast<std::uint16_t>(m_image.GetChannels())};
        SegmentWriter writer(m_target, 114, format, limit,
                             [this](TextStream& text, const SegmentCounters& counters,
                                    std::uint32_t start, double duration) {
                                 WriteSummary(m_request.source, text, m_image, counters, start,
                                              duration);
                             });
        std::vector<HeaderError> headerErrors;
        if (IsIrregular(m_headerStatus))
            headerErrors.push_back({0, m_headerStatus});
        const bool cancelled = ConvertSegments(writer, m_result, headerErrors,
                                               [&] { return RunLoop(writer); });
        m_source.Abort();   // read-only: closing cannot lose anything
        m_result.segments = writer.SegmentsOpened();
        if (m_result.outcome == ConvertOutcome::NotStarted) {
            m_result.files = writer.Files();
            return;
        }
        EndPass(writer, cancelled, m_hooks, m_result);
        m_result.files = writer.Files();
    }

private:
    bool ReadHeader() {
        try {
            m_source.ReadFull(m_image.m_block.data(), kRecordSize);
        } catch (const CFileException& failure) {
            m_result.error = failure.ToError();
            return false;
        }
        m_image.InitFromHeader();
        m_headerStatus = m_image.CheckBuffered(true);
        return true;
    }

    bool RunLoop(SegmentWriter& writer) {
        const std::uint32_t stated = m_image.m_nStatedBlocks;
        writer.ExpectBlocks(stated);
        const bool readAhead = m_options.readAhead && std::thread::hardware_concurrency() > 1;
        const std::unique_ptr<Im2BlockSource> blocks =
            readAhead ? MakeReadAheadSource(m_source, m_image, stated)
                      : MakeSequentialSource(m_source, m_image);
        bool cancelled = false;
        std::uint32_t readError = 0;
        while (m_result.blocks < stated && !cancelled && readError == 0) {
            // An application that is quitting ends the pass as Cancel does.
            const bool quitting = !m_hooks.PumpWaitingMessage();
            const BlockRead read = blocks->Next();
            readError = read.readError;
            if (read.kind == BlockRead::Kind::Block)
                WriteDecodedBlock(writer, m_image, *read.block, stated, m_hooks, m_result);
            else if (read.kind == BlockRead::Kind::End && readError != kReadEndOfFile)
                m_result.error = read.error;
            cancelled = m_hooks.IsCancelled() || quitting;
        }
        return cancelled;
    }

    const ConvertRequest& m_request;
    const OutputTarget& m_target;
    Hooks& m_hooks;
    const PassOptions& m_options;
    ConvertResult& m_result;

    CFile64 m_source;
    CIm2 m_image;
    BlockStatus m_headerStatus = 0;
};

}  // namespace

void WriteDecodedBlock(SegmentWriter& writer, CIm2& image, const DecodedBlock& block,
                       std::uint64_t total, Hooks& hooks, ConvertResult& result) {
    if (block.status != 0) {
        writer.WriteErrorLine(Format(LoadString(116), image.GetUnitId().c_str(),
                                     unsigned{image.GetFileNumber()},
                                     static_cast<unsigned long>(block.blockIndex)),
                              block.status);
        ++result.irregularBlocks;
    }
    writer.WriteAudio(std::span(block.bytes.data(), block.count));
    ++result.blocks;
    image.NextBlock();
    hooks.SetPos(static_cast<int>(static_cast<double>(result.blocks) /
                                  static_cast<double>(total) * 1000.0));
}

ConvertResult ConvertIm2(const ConvertRequest& request, Hooks& hooks) {
    return ConvertIm2(request, hooks, PassOptions{});
}

ConvertResult ConvertIm2(const ConvertRequest& request, Hooks& hooks, const PassOptions& options) {
    return RunPass(request, hooks, [&](const OutputTarget& target, ConvertResult& result) {
        Im2Pass(request, target, hooks, options, result).Run();
    });
}

}  // namespace tvx

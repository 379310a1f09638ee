#include "formats/img/convert_img.h"

#include "core/file64.h"
#include "core/format.h"
#include "core/string_table.h"
#include "export/convert_pass.h"
#include "export/record_reader.h"
#include "export/segment_writer.h"
#include "formats/im2/im2_blocks.h"
#include "formats/img/img_decode.h"
#include "formats/img/img_summary.h"

#include <array>
#include <span>

namespace tvx {
namespace {

class ImgPass {
public:
    ImgPass(const ConvertRequest& request, const OutputTarget& target, Hooks& hooks,
            ConvertResult& result)
        : m_request(request), m_target(target), m_hooks(hooks), m_result(result) {}

    void Run() {
        CFileException openFailure;
        if (!m_source.Open(m_request.source, kGenericRead, kShareRead | kShareWrite,
                           kOpenExisting, &openFailure, kFlagSequentialScan)) {
            m_result.error = openFailure.ToError();
            return;
        }
        m_hooks.SetPos(0);
        m_hooks.ShowProgress(true);
        if (!ReadHeader())
            return;
        const std::uint32_t limit = SegmentByteLimit(1, 8, static_cast<int>(m_img.m_nSampleRate),
                                                     m_request.megabytes, m_request.minutes);
        const WaveFormat format{m_img.m_nSampleRate, 8, 1};
        SegmentWriter writer(m_target, 119, format, limit,
                             [this](TextStream& text, const SegmentCounters& counters,
                                    std::uint32_t start, double duration) {
                                 WriteImgSummary(m_request.source, text, m_img, counters, start,
                                                 duration);
                             });
        const bool cancelled =
            ConvertSegments(writer, m_result, {}, [&] { return RunLoop(writer); });
        m_source.Abort();   // read-only: closing cannot lose anything
        m_result.segments = writer.SegmentsOpened();
        if (m_result.outcome != ConvertOutcome::NotStarted)
            EndPass(writer, cancelled, m_hooks, m_result);
        m_result.files = writer.Files();
    }

private:
    bool ReadHeader() {
        try {
            RecordReader header(m_source);
            header.Next(m_img.m_record.data());
            m_img.ParseReference();
            m_img.m_nRecordCount = m_img.CountRecords(m_source);
        } catch (const CFileException& failure) {
            m_result.error = failure.ToError();
            return false;
        }
        // The header's own checks are dropped; the pass sets the running checksum from it.
        std::uint16_t count = 0;
        DecodeImgRecord(m_img, 0, m_decoded, &count);
        return true;
    }

    bool RunLoop(SegmentWriter& writer) {
        m_source.SeekTo(kRecordSize);
        RecordReader records(m_source);
        const std::uint32_t total = m_img.m_nRecordCount;
        std::uint32_t counter = 1;
        bool cancelled = false;
        while (counter < total && !cancelled) {
            const bool quitting = !m_hooks.PumpWaitingMessage();
            std::uint32_t got = 0;
            try {
                got = records.Next(m_img.m_record.data());
            } catch (const CFileException& failure) {
                m_result.error = failure.ToError();
                break;
            }
            if (got == 0)
                break;
            if (got == kRecordSize) {
                ConvertRecord(writer, counter);
                ++counter;
                m_hooks.SetPos(static_cast<int>(static_cast<double>(counter) / total * 1000.0));
            }
            cancelled = m_hooks.IsCancelled() || quitting;
        }
        return cancelled;
    }

    void ConvertRecord(SegmentWriter& writer, std::uint32_t counter) {
        std::uint16_t count = 0;
        const BlockStatus status = DecodeImgRecord(m_img, counter, m_decoded, &count);
        if (status != 0) {
            const std::uint32_t index = LoadLe32(m_img.m_record, kImgOffBlockNumber);
            writer.WriteErrorLine(Format(LoadString(116), m_img.GetUnitIdText().c_str(),
                                         m_img.m_nRefFileNumber, static_cast<unsigned long>(index)),
                                  status);
            ++m_result.irregularBlocks;
        } else if (IsErasedRecord(RecordView(m_img.m_record))) {
            ++m_result.unjudgedBlocks;
        }
        writer.WriteAudio(std::span(m_decoded.data(), count));
        ++m_result.blocks;
    }

    const ConvertRequest& m_request;
    const OutputTarget& m_target;
    Hooks& m_hooks;
    ConvertResult& m_result;

    CFile64 m_source;
    CImg m_img;
    std::array<std::uint8_t, kImg5Samples> m_decoded{};
};

}  // namespace

ConvertResult ConvertImg(const ConvertRequest& request, Hooks& hooks) {
    return RunPass(request, hooks, [&](const OutputTarget& target, ConvertResult& result) {
        ImgPass(request, target, hooks, result).Run();
    });
}

}  // namespace tvx

#include "formats/ix2/convert_ix2.h"

#include "core/format.h"
#include "core/string_table.h"
#include "export/convert_pass.h"
#include "export/record_reader.h"
#include "export/segment_writer.h"
#include "formats/im2/im2_blocks.h"
#include "formats/im2/im2_summary.h"
#include "formats/ix2/ix2_source.h"

#include <span>
#include <vector>

namespace tvx {
namespace {

class Ix2Pass {
public:
    Ix2Pass(const ConvertRequest& request, const OutputTarget& target, Hooks& hooks,
            ConvertResult& result)
        : m_request(request), m_target(target), m_hooks(hooks), m_result(result) {}

    void Run() {
        if (auto failed = m_source.Open(m_request.source)) {
            m_result.error = *failed;
            return;
        }
        m_hooks.SetPos(0);
        m_hooks.ShowProgress(true);
        CIx2& reader = m_source.Reader();
        const std::uint32_t limit =
            SegmentByteLimit(reader.GetChannels(), reader.m_nOutputBits, reader.m_nSampleRate,
                             m_request.megabytes, m_request.minutes);

        const WaveFormat format{static_cast<std::uint32_t>(reader.m_nSampleRate),
                                static_cast<std::uint16_t>(reader.m_nOutputBits),
                                static_cast<std::uint16_t>(reader.GetChannels())};
        SegmentWriter writer(m_target, 120, format, limit,
                             [this, &reader](TextStream& text, const SegmentCounters& counters,
                                             std::uint32_t start, double duration) {
                                 WriteSummary(m_request.source, text, reader, counters, start,
                                              duration);
                             });
        const bool cancelled =
            ConvertSegments(writer, m_result, HeaderErrors(), [&] { return RunLoop(writer); });
        m_source.File().Abort();   // read-only: closing cannot lose anything
        m_result.segments = writer.SegmentsOpened();
        if (m_result.outcome != ConvertOutcome::NotStarted)
            EndPass(writer, cancelled, m_hooks, m_result);
        m_result.files = writer.Files();
    }

private:
    std::vector<HeaderError> HeaderErrors() const {
        std::vector<HeaderError> errors;
        const CIx2& outer = m_source.Outer();
        if (!outer.m_bIndexChecked)
            return errors;
        for (unsigned i = 0; i < 3; ++i) {
            if (IsIrregular(outer.m_indexStatus[i]))
                errors.push_back({i, outer.m_indexStatus[i]});
        }
        return errors;
    }

    bool RunLoop(SegmentWriter& writer) {
        CIx2& outer = m_source.Outer();
        m_source.File().SeekTo(kIx2DataStart);
        m_source.Ring().Clear();
        outer.m_nBlock = static_cast<std::uint32_t>(outer.m_nSplitFirst);
        RecordReader records(m_source.File());
        const std::uint64_t total = m_source.Reader().m_nSplitBlocks;
        writer.ExpectBlocks(total);
        bool cancelled = false;
        std::uint32_t readError = 0;
        while (m_result.blocks < total && !cancelled && readError == 0) {
            // An application that is quitting ends the pass as Cancel does.
            const bool quitting = !m_hooks.PumpWaitingMessage();
            readError = m_source.IsChain() ? ChainStep(records, writer, total)
                                           : PlainStep(records, writer, total);
            cancelled = m_hooks.IsCancelled() || quitting;
        }
        return cancelled;
    }

    // One read of the file into the outer image's record; the read error code of the loop.
    std::uint32_t ReadOuter(RecordReader& records, std::uint32_t& got) {
        got = 0;
        try {
            got = records.Next(m_source.Outer().m_block.data());
        } catch (const CFileException& failure) {
            m_result.error = failure.ToError();
            return static_cast<std::uint32_t>(failure.m_lOsError);
        }
        return got == 0 ? kReadEndOfFile : 0;
    }

    std::uint32_t PlainStep(RecordReader& records, SegmentWriter& writer, std::uint64_t total) {
        std::uint32_t got = 0;
        const std::uint32_t readError = ReadOuter(records, got);
        if (got == kRecordSize)
            ConvertBlock(m_source.Outer(), writer, total);
        return readError;
    }

    std::uint32_t ChainStep(RecordReader& records, SegmentWriter& writer, std::uint64_t total) {
        std::uint32_t readError = 0;
        CRingBuffer& ring = m_source.Ring();
        if (ring.GetCount() < static_cast<std::int32_t>(kRecordSize)) {
            std::uint32_t got = 0;
            readError = ReadOuter(records, got);
            // A cut last outer block is still deciphered, over what the record held before.
            if (got > 0)
                m_source.FeedOuterBlock();
        }
        CIx2& inner = m_source.Reader();
        if (m_source.TakeInner(inner.m_block))
            ConvertBlock(inner, writer, total);
        return readError;
    }

    void ConvertBlock(CIx2& reader, SegmentWriter& writer, std::uint64_t total) {
        const BlockStatus status = reader.Decode(m_decoded, &m_count);
        if (status != 0) {
            writer.WriteErrorLine(Format(LoadString(116), reader.GetUnitId().c_str(),
                                         unsigned{reader.GetFileNumber()},
                                         static_cast<unsigned long>(BlockIndexOf(reader.m_block))),
                                  status);
            ++m_result.irregularBlocks;
        }
        writer.WriteAudio(std::span(m_decoded.data(), m_count));
        ++m_result.blocks;
        reader.NextBlock();
        m_hooks.SetPos(static_cast<int>(static_cast<double>(m_result.blocks) /
                                        static_cast<double>(total) * 1000.0));
    }

    const ConvertRequest& m_request;
    const OutputTarget& m_target;
    Hooks& m_hooks;
    ConvertResult& m_result;

    Ix2Source m_source;
    std::array<std::uint8_t, kMaxDecodedBytes> m_decoded{};
    std::uint16_t m_count = 0;
};

}  // namespace

ConvertResult ConvertIx2(const ConvertRequest& request, Hooks& hooks) {
    return RunPass(request, hooks, [&](const OutputTarget& target, ConvertResult& result) {
        Ix2Pass(request, target, hooks, result).Run();
    });
}

}  // namespace tvx

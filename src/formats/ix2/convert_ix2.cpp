#include "formats/ix2/convert_ix2.h"

#include "core/format.h"
#include "core/string_table.h"
#include "export/convert_pass.h"
#include "export/record_reader.h"
#include "export/segment_writer.h"
#include "formats/im2/convert_im2.h"
#include "formats/im2/decoder_lanes.h"
#include "formats/im2/im2_blocks.h"
#include "formats/im2/im2_summary.h"
#include "formats/ix2/ix2_source.h"

#include <algorithm>
#include <array>
#include <optional>
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
            readError = Step(records, writer, total);
            cancelled = m_hooks.IsCancelled() || quitting;
        }
        return cancelled;
    }

    // Writes one block, read with up to seven after it so that 4-bit blocks decode side by
    // side; once those are written, gives what ended the reads as its read error code.
    std::uint32_t Step(RecordReader& records, SegmentWriter& writer, std::uint64_t total) {
        if (m_ahead.at == m_ahead.count && m_ahead.readError == 0)
            ReadAhead(records, std::min<std::uint64_t>(kDecodeLanes, total - m_result.blocks));
        if (m_ahead.at < m_ahead.count) {
            WriteDecodedBlock(writer, m_source.Reader(), m_ahead.blocks[m_ahead.at++], total,
                              m_hooks, m_result);
            return 0;
        }
        if (m_ahead.error)
            m_result.error = *m_ahead.error;
        return m_ahead.readError;
    }

    // Reads `wanted` blocks, or fewer when a read ends them, and decodes them at the block
    // order the writing reaches them.
    void ReadAhead(RecordReader& records, std::uint64_t wanted) {
        m_ahead.at = 0;
        m_ahead.count = 0;
        while (m_ahead.count < wanted && m_ahead.readError == 0) {
            Record& slot = m_ahead.records[m_ahead.count];
            bool whole = false;
            m_ahead.readError = m_source.IsChain() ? ReadInner(records, slot, whole)
                                                   : ReadPlain(records, slot, whole);
            if (whole)
                ++m_ahead.count;
        }
        CIx2& reader = m_source.Reader();
        const std::uint32_t first = reader.m_nBlock;
        DecodeRun(reader, first, m_ahead.records[0].data(), m_ahead.count, m_ahead.blocks.data());
        reader.m_nBlock = first;   // writing each block moves the order on
    }

    // One read of the file into out; the read error code, a failed read's error kept until
    // the blocks read before it are written.
    std::uint32_t ReadOuter(RecordReader& records, std::uint8_t* out, std::uint32_t& got) {
        got = 0;
        try {
            got = records.Next(out);
        } catch (const CFileException& failure) {
            m_ahead.error = failure.ToError();
            return static_cast<std::uint32_t>(failure.m_lOsError);
        }
        return got == 0 ? kReadEndOfFile : 0;
    }

    std::uint32_t ReadPlain(RecordReader& records, Record& out, bool& whole) {
        std::uint32_t got = 0;
        const std::uint32_t readError = ReadOuter(records, out.data(), got);
        whole = got == kRecordSize;   // a cut record is never converted
        return readError;
    }

    std::uint32_t ReadInner(RecordReader& records, Record& out, bool& whole) {
        std::uint32_t readError = 0;
        if (m_source.Ring().GetCount() < static_cast<std::int32_t>(kRecordSize)) {
            std::uint32_t got = 0;
            readError = ReadOuter(records, m_source.Outer().m_block.data(), got);
            // A cut last outer block is still deciphered, over what the record held before.
            if (got > 0)
                m_source.FeedOuterBlock();
        }
        whole = m_source.TakeInner(out);
        return readError;
    }

    // Blocks read and decoded ahead of the writing, and what ended the reads.
    struct Ahead {
        std::array<Record, kDecodeLanes> records;
        std::array<DecodedBlock, kDecodeLanes> blocks;
        std::size_t count = 0;
        std::size_t at = 0;
        std::uint32_t readError = 0;
        std::optional<Error> error;
    };
    static_assert(sizeof(Record) == kRecordSize, "a run of records lies unbroken");

    const ConvertRequest& m_request;
    const OutputTarget& m_target;
    Hooks& m_hooks;
    ConvertResult& m_result;

    Ix2Source m_source;
    Ahead m_ahead;
};

}  // namespace

ConvertResult ConvertIx2(const ConvertRequest& request, Hooks& hooks) {
    return RunPass(request, hooks, [&](const OutputTarget& target, ConvertResult& result) {
        Ix2Pass(request, target, hooks, result).Run();
    });
}

}  // namespace tvx

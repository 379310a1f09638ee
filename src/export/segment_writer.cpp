#include "export/segment_writer.h"

#include "core/block_record.h"
#include "core/format.h"
#include "core/string_table.h"
#include "export/summary.h"

#include <algorithm>
#include <cassert>

namespace tvx {
namespace {

// Plain writes are gathered into runs of this size: the WAV gets the same bytes in the same
// order with a fraction of the system calls.
constexpr std::size_t kWriteRun = 256 * 1024;

}  // namespace

SegmentWriter::SegmentWriter(OutputTarget target, int headingId, WaveFormat format,
                             std::uint32_t byteLimit, SummaryWriter summary,
                             std::uint16_t lastSegment)
    : m_target(std::move(target)), m_headingId(headingId),
      m_format(format), m_byteLimit(byteLimit), m_summary(std::move(summary)),
      m_lastSegment(lastSegment) {
    assert(m_byteLimit > 0 && "a segment must hold something");
    m_pending.reserve(kWriteRun + kMaxDecodedBytes);
}

template <typename Work>
auto SegmentWriter::Noting(Work&& work) -> decltype(work()) {
    try {
        return work();
    } catch (const CFileException& failure) {
        if (!m_failure)
            m_failure = failure.ToError();
        throw;
    }
}

bool SegmentWriter::OpenFirst(Error* error) {
    const bool opened = Noting([&] { return RemoveEarlierRun(error) && OpenSegment(0, error); });
    if (!opened)
        m_failure = *error;
    return opened;
}

// The earlier run goes as a whole before anything new is written, so the folder never holds
// two runs' files side by side. Every name is checked before the first goes: a run refused at
// once leaves the earlier one whole. The highest segment goes first, so a removal that fails
// midway leaves the earlier run's first segments, not a gap.
bool SegmentWriter::RemoveEarlierRun(Error* error) {
    if (!m_target.replace)
        return true;
    for (const std::string& path : m_target.earlier) {
        if (auto refused = RefusalToReplace(path, m_target.source)) {
            *error = *refused;
            return false;
        }
    }
    for (auto path = m_target.earlier.rbegin(); path != m_target.earlier.rend(); ++path) {
        if (auto failed = RemoveOutput(*path, m_target.source)) {
            *error = *failed;
            return false;
        }
    }
    return true;
}

bool SegmentWriter::OpenSegment(std::uint16_t index, Error* error) {
    const std::string wavPath = m_target.names.WavPath(index);
    const std::string textPath = m_target.names.TextPath(index);
    // Only new files, never through a link: a name that exists now was made by someone else
    // while this run went on, and a link cannot lead the audio into the image or anywhere else.
    CFileException failure;
    if (!m_wave.Open(wavPath, kGenericWrite, kShareRead | kShareWrite, kOutputDisposition,
                     &failure, kOutputFlags)) {
        *error = OutputOpenError(failure, wavPath);
        return false;
    }
    m_files.push_back(wavPath);
    m_digestDecided = false;
    if (!m_text.Open(textPath, &failure, kOutputDisposition, kOutputFlags)) {
        *error = OutputOpenError(failure, textPath);
        return false;
    }
    m_files.push_back(textPath);
    ++m_opened;
    m_segment = index;
    m_wave.SetFormat(m_format.samplesPerSec, m_format.bitsPerSample, m_format.channels);
    m_text.Write(SummaryRule() + "\r\n");
    m_text.Write(LoadString(m_headingId));
    m_text.Write(Format(LoadString(115), m_target.names.name.c_str(), unsigned{index}));
    return true;
}

void SegmentWriter::WriteErrorLine(const std::string& line, BlockStatus status) {
    Noting([&] { m_text.Write(line + "\n"); });
    AddToCounters(m_counters, status);
}

void SegmentWriter::WriteAudio(std::span<const std::uint8_t> bytes) {
    if (m_firstBlockBytes == 0)
        m_firstBlockBytes = bytes.size();
    Noting([&] { CutIntoSegments(bytes); });
}

void SegmentWriter::CutIntoSegments(std::span<const std::uint8_t> bytes) {
    if (m_segmentBytes + bytes.size() <= m_byteLimit) {
        m_segmentBytes += static_cast<std::uint32_t>(bytes.size());
        m_pending.insert(m_pending.end(), bytes.begin(), bytes.end());
        if (m_pending.size() >= kWriteRun)
            FlushPending();
        return;
    }
    // The block that crosses the limit is cut byte for byte. A limit smaller than a block (an
    // IMG image may name a rate of a few hertz) fills several segments from one block.
    FlushPending();
    while (m_segmentBytes + bytes.size() > m_byteLimit) {
        const std::size_t room = m_byteLimit - m_segmentBytes;
        m_wave.WriteAndSetEnd(bytes.data(), static_cast<std::uint32_t>(room));
        DigestCopy(bytes.first(room));
        bytes = bytes.subspan(room);
        m_segmentBytes = m_byteLimit;
        if (m_segment == m_lastSegment) {
            // A further name would be segment 00's again: the pass ends here, as Cancel does.
            const std::string last = m_target.names.WavPath(m_segment);
            m_failure = Error{Cause::Io, 0, last, 0, "The last segment number is used up"};
            throw CFileException(Cause::Io, 0, last);
        }
        FinishAndClose();
        Error error;
        if (!OpenSegment(static_cast<std::uint16_t>(m_segment + 1), &error)) {
            m_failure = error;
            throw CFileException(error.cause, error.osError, error.path);
        }
        m_segmentBytes = 0;
    }
    m_wave.WriteAndSetEnd(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    DigestCopy(bytes);
    m_segmentBytes += static_cast<std::uint32_t>(bytes.size());
}

// Started by the segment's first write, once the first block's size is known. Every segment
// before this one was cut at the limit, so the audio they hold follows from its number.
StreamedDigest* SegmentWriter::SegmentDigest() {
    if (m_digestDecided)
        return m_digest ? &*m_digest : nullptr;
    m_digestDecided = true;
    const std::uint64_t guessed = m_expectedBlocks * m_firstBlockBytes;
    const std::uint64_t before = std::uint64_t{m_segment} * m_byteLimit;
    if (guessed <= before)
        return nullptr;
    m_guessBytes = std::min<std::uint64_t>(m_byteLimit, guessed - before);
    m_guess = m_wave.Header();
    SetWaveSizes(m_guess, kWaveHeaderSize + m_guessBytes);
    return &m_digest.emplace(m_guess);
}

void SegmentWriter::DigestCopy(std::span<const std::uint8_t> written) {
    if (StreamedDigest* digest = SegmentDigest())
        digest->Hand(std::vector<std::uint8_t>(written.begin(), written.end()));
}

// Only a WAV whose every byte, its header's sizes among them, came out as the digest took
// them is listed from the digest.
void SegmentWriter::KeepDigest() {
    if (!m_digest)
        return;
    const std::string sha256 = m_digest->Finish();
    const bool asGuessed = m_digest->Handed() == m_guessBytes && m_wave.Header() == m_guess;
    m_digest.reset();
    if (asGuessed && !sha256.empty())
        m_digests.push_back({m_target.names.WavPath(m_segment), kWaveHeaderSize + m_guessBytes, sha256});
}

void SegmentWriter::FlushPending() {
    if (m_pending.empty())
        return;
    StreamedDigest* digest = SegmentDigest();
    std::uint32_t lastCount = 0;
    m_wave.GetLastWriteCount(&lastCount, true);
    const bool written = m_wave.Write(m_pending.data(), static_cast<std::uint32_t>(m_pending.size()));
    if (written && digest != nullptr) {
        m_pending = digest->Hand(std::move(m_pending));
        m_pending.reserve(kWriteRun + kMaxDecodedBytes);
    }
    // Never tried again: a second try after a short write would repeat the bytes it took.
    m_pending.clear();
    // A segment that silently lost audio would read as complete: a full disk ends the pass,
    // as Cancel does.
    if (!written)
        throw m_wave.LastWriteFailure();
}

void SegmentWriter::FinishSegment() {
    Noting([&] { FinishAndClose(); });
}

void SegmentWriter::FinishAndClose() {
    FlushPending();
    const std::uint64_t mark = m_text.Size();
    try {
        m_text.Write(std::string(LoadString(117)) + "\n");
        const double duration = m_wave.GetDurationSeconds();
        m_summary(m_text, m_counters, m_startSeconds, duration);
        m_startSeconds += m_wave.GetWholeSeconds();
        m_wave.Close();
        KeepDigest();
        m_text.Close();
    } catch (...) {
        if (m_text.IsOpen()) {
            try {
                m_text.TruncateTo(mark);
            } catch (const CFileException&) {
                // the text keeps what it has; the cancel line below still follows it
            }
        }
        throw;
    }
    m_counters.fill(0);
}

void SegmentWriter::EndCancelled() noexcept {
    try {
        if (m_wave.IsOpen())
            FlushPending();
    } catch (const CFileException&) {
        // the disk took what it could; the sizes below describe exactly that
    }
    m_pending.clear();
    m_digest.reset();
    if (m_text.IsOpen()) {
        try {
            m_text.Write(std::string(LoadString(118)) + "\n");
        } catch (...) {
            // a full disk takes the last line too; the text then simply ends unfinished
        }
        try {
            m_text.Close();
        } catch (...) {
        }
    }
    try {
        m_wave.Close();
    } catch (...) {
    }
}

}  // namespace tvx

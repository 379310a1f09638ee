#pragma once

#include "core/block_status.h"
#include "core/error.h"
#include "export/convert.h"
#include "export/file_wave.h"
#include "export/output_files.h"
#include "export/segments.h"
#include "export/streamed_digest.h"
#include "export/text_stream.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tvx {

struct WaveFormat {
    std::uint32_t samplesPerSec = 8000;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t channels = 1;
};

// Writes a segment's summary block after its "Decryption Completed." line.
using SummaryWriter = std::function<void(TextStream& text, const SegmentCounters& counters,
                                         std::uint32_t segmentStartSeconds,
                                         double durationSeconds)>;

// The WAV segments of one conversion and the text file beside each: opening and closing
// segments, error lines, and the cut of the audio at the segment byte limit. The passes of
// every format share it and differ only in where their blocks come from.
class SegmentWriter {
public:
    // Segment numbers are 16 bits: the names run out after this one.
    static constexpr std::uint16_t kLastSegment = 0xFFFF;

    // lastSegment is lower only in tests, which cannot afford 65,536 segments.
    SegmentWriter(OutputTarget target, int headingId, WaveFormat format, std::uint32_t byteLimit,
                  SummaryWriter summary, std::uint16_t lastSegment = kLastSegment);

    // Segment 0, after the earlier run's files went when they are to be replaced. False, with
    // the reason, when one of those cannot go or segment 0's WAV or text file cannot be
    // created; throws CFileException when writing its first lines fails.
    bool OpenFirst(Error* error);

    // How many blocks the pass means to convert. With it each WAV is digested as it is
    // written, on the guess that every block decodes to as many bytes as the first, which
    // fixes the sizes in its header before they are written; a WAV that does not come out as
    // guessed is left to be read back.
    void ExpectBlocks(std::uint64_t blocks) { m_expectedBlocks = blocks; }

    // One " ERROR: ..." line in the current text file, counted in the segment's counters.
    void WriteErrorLine(const std::string& line, BlockStatus status);

    // The decoded bytes of one block; the block that crosses the limit is cut between two
    // segments byte for byte. Throws CFileException, also when a gathered run of plain writes
    // found the disk full.
    void WriteAudio(std::span<const std::uint8_t> bytes);

    // "Decryption Completed.", the summary, and both files closed. On a failure the text
    // is taken back to where it stood, so it never shows a half summary, and it throws.
    void FinishSegment();

    // "Decryption Cancelled." as far as the disk allows, and both files closed; never throws.
    void EndCancelled() noexcept;

    std::uint32_t SegmentsOpened() const { return m_opened; }
    // The output that failed and why, once writing one did (as opposed to the pass's own work
    // around it); kept whole, words of our own included, which an exception cannot carry.
    const std::optional<Error>& Failure() const { return m_failure; }
    const std::vector<std::string>& Files() const { return m_files; }
    // The closed WAVs that came out as guessed, with the digest of every byte they hold.
    const std::vector<WrittenDigest>& Digests() const { return m_digests; }

private:
    bool RemoveEarlierRun(Error* error);
    bool OpenSegment(std::uint16_t index, Error* error);
    void CutIntoSegments(std::span<const std::uint8_t> bytes);
    void FinishAndClose();
    void FlushPending();
    StreamedDigest* SegmentDigest();   // this segment's digest, or nullptr without a guess
    void DigestCopy(std::span<const std::uint8_t> written);
    void KeepDigest();
    template <typename Work>
    auto Noting(Work&& work) -> decltype(work());

    OutputTarget m_target;
    int m_headingId;
    WaveFormat m_format;
    std::uint32_t m_byteLimit;
    SummaryWriter m_summary;
    std::uint16_t m_lastSegment;

    CFileWave m_wave;
    TextStream m_text;
    SegmentCounters m_counters{};
    std::uint16_t m_segment = 0;
    std::uint32_t m_segmentBytes = 0;
    std::uint32_t m_startSeconds = 0;
    std::uint32_t m_opened = 0;
    std::optional<Error> m_failure;
    std::vector<std::string> m_files;
    std::vector<std::uint8_t> m_pending;   // plain writes not yet handed to the WAV

    std::uint64_t m_expectedBlocks = 0;
    std::uint64_t m_firstBlockBytes = 0;
    bool m_digestDecided = false;          // for this segment
    std::optional<StreamedDigest> m_digest;
    WaveHeader m_guess{};                  // this WAV's header as it is to be closed
    std::uint64_t m_guessBytes = 0;        // and the audio bytes that header counts
    std::vector<WrittenDigest> m_digests;
};

}  // namespace tvx

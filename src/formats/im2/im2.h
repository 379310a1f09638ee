#pragma once

#include "core/block_record.h"
#include "core/block_status.h"
#include "core/datetime.h"
#include "formats/im2/im2_command.h"
#include "play/playback.h"
#include "play/reader_requests.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tvx {

// The image state of an IM2 recording: reference values from the header record, the format,
// the gain and the record being examined, with the tests and the decoder that use them.
// The passes use it without a worker thread and reach its fields directly. Built with a
// PlaybackSetup it has a worker that owns the file and the sound device and obeys the
// requests below; the window then reads the worker's progress only through the getters.
class CIm2 : public ReaderRequests<Im2Command> {
public:
    CIm2() = default;
    explicit CIm2(const PlaybackSetup& setup);
    virtual ~CIm2();
    CIm2(const CIm2&) = default;              // the image state only, never the worker
    CIm2& operator=(const CIm2&) = default;

    // --- requests to the worker beside the shared ones; a reader without one does nothing
    // and answers false
    bool OpenFile(const std::string& path);   // waits for the worker; the file is open
    bool CloseFile();                         // waits for the worker
    bool SeekMs(std::int64_t ms);
    void Rewind();                            // the header records again, through the callback
    void SetBlockCallback(BlockCallback callback);
    void SetGain(double gain);

    // --- header and format
    void SetFormat(std::uint8_t formatByte);
    void InitFromHeader();
    bool IsHeaderBad() const;
    void SetFileLength(std::uint64_t bytes);   // m_nFileBlocks and m_bComplete from a length

    // --- tests
    BlockStatus CheckBlock() const { return CheckBlock(m_block); }
    // The same test of a record that has not been copied into m_block.
    BlockStatus CheckBlock(RecordView record) const;
    BlockStatus CheckRecord(RecordView record, bool headerMode) const;
    BlockStatus CheckBuffered(bool headerMode) const { return CheckRecord(m_block, headerMode); }

    // Deciphers, checks and decodes m_block into out in one pass; allocates nothing.
    // out must hold kMaxDecodedBytes. Leaves the image state as it was.
    BlockStatus Decode(std::span<std::uint8_t> out, std::uint16_t* count) const;
    // The first half of Decode, for a caller that decodes records side by side: m_block's
    // verdict, its payload deciphered into plain (kPayloadSize bytes).
    BlockStatus Decipher(std::uint8_t* plain) const;
    // Decode of a record whose own verdict nobody asks for, a chain's outer block: the same
    // bytes, without judging it and without copying it into m_block. Returns the count.
    std::uint16_t DecodeUnjudged(RecordView record, std::span<std::uint8_t> out) const;
    // The compression of a record whose samples DecodeCode4Lanes decodes at this image's
    // width and gain, else 0.
    int LaneCode(RecordView record) const;

    // --- time
    std::int64_t BlocksToMs(std::uint64_t count) const;
    std::int64_t MsToBlock(std::int64_t ms) const;
    std::int64_t PlayedMs() const;
    std::int64_t PlayedMsByCounter() const;
    std::int64_t StatedMs() const { return BlocksToMs(m_nStatedBlocks); }
    std::int64_t FileMs() const { return BlocksToMs(m_nFileBlocks); }
    COleDateTime StartTime() const;
    COleDateTime PositionTime() const;
    COleDateTimeSpan StatedSpan() const { return COleDateTimeSpan::FromMs(StatedMs()); }

    // --- accessors
    std::string GetUnitId() const;
    std::uint16_t GetFileNumber() const { return m_wFileNumber; }
    int GetChannels() const { return m_nChannels; }
    bool IsRaw8() const { return m_bRaw8; }
    bool IsComplete() const { return m_bComplete; }
    void NextBlock() { ++m_nBlock; }

    std::string m_strUnitId;
    bool m_bHeaderBad = false;
    bool m_bComplete = false;
    std::uint16_t m_wFileNumber = 0;
    std::uint32_t m_dwTimestamp = 0;
    std::int32_t m_nQueuedMs = 0;
    std::uint32_t m_nBlock = 0;
    std::int32_t m_nStoredBits = 8;
    std::int32_t m_nOutputBits = 8;
    std::int32_t m_nSampleRate = 8000;
    std::uint32_t m_nUnitNumber = 0;
    std::uint32_t m_nStatedBlocks = 0;
    std::uint32_t m_nFileBlocks = 0;
    std::uint32_t m_nFirstIndex = 0;
    std::uint32_t m_nLastIndex = 0;
    double m_dGain = 1.0;
    Record m_block{};
    bool m_bRaw8 = false;
    std::int32_t m_nChannels = 1;

protected:
    // A derived reader starts its own worker once it is built (StartWorker), and stops it in
    // its own destructor, before its members go (StopWorker).

    // What the worker publishes, or the fields themselves without a worker.
    std::uint32_t CurrentBlock() const;
    std::uint32_t BufferedIndex() const;
    std::uint32_t BufferedTimestamp() const;
    std::int32_t QueuedMs() const;

private:
    BlockStatus ReferenceStatus(RecordView record, bool judgeOrder) const;
    // record's payload deciphered into plain; its verdict when judge, else 0.
    BlockStatus DecipherRecord(RecordView record, std::uint8_t* plain, bool judge) const;
    // record decoded into out; its verdict into status, unless that is null.
    std::uint16_t DecodeRecord(RecordView record, std::span<std::uint8_t> out,
                               BlockStatus* status) const;
};

// A header BlockIndex of this or more cannot be a real recording.
inline constexpr std::uint32_t kMaxHeaderBlockIndex = 0x8000000u;

// The scan's judging of a piece of an IM2 file, for the worker and the pass alike: every
// whole record in order, from block m_nBlock on, through `report(index, CheckBlock)`, the
// counter moved on past each. A cut tail is never judged; m_block is left holding the last
// record judged, as if each had been copied in.
template <typename Report>
void ScanIm2Piece(CIm2& image, std::span<const std::uint8_t> piece, Report&& report) {
    std::size_t at = 0;
    for (; at + kRecordSize <= piece.size(); at += kRecordSize) {
        const RecordView record(piece.data() + at, kRecordSize);
        report(static_cast<std::int32_t>(image.m_nBlock), image.CheckBlock(record));
        image.NextBlock();
    }
    if (at > 0)
        std::copy_n(piece.data() + at - kRecordSize, kRecordSize, image.m_block.begin());
}

}  // namespace tvx

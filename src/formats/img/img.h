#pragma once

#include "core/block_record.h"
#include "core/block_status.h"
#include "core/datetime.h"
#include "core/error.h"
#include "core/file64.h"
#include "formats/img/img_command.h"
#include "play/playback.h"
#include "play/reader_requests.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tvx {

// Trailer of an IMG record: no cipher, and the block number counts from 1 in record 1.
inline constexpr std::size_t kImgOffCoding = 513;
inline constexpr std::size_t kImgOffSampleRate = 514;
inline constexpr std::size_t kImgOffSampleCount = 516;
inline constexpr std::size_t kImgOffUnitId = 518;
inline constexpr std::size_t kImgOffFileNumber = 520;
inline constexpr std::size_t kImgOffBlockNumber = 522;
inline constexpr std::size_t kImgOffBlockSum = 526;
inline constexpr std::size_t kImgOffVoiceSum = 527;

// Samples one record decodes to: 8-bit PCM, or a first sample and 102 groups of eight codes.
inline constexpr std::size_t kImg8Samples = 512;
inline constexpr std::size_t kImg5Samples = 817;

// Magnitudes of the 5-bit delta code, by its low four bits.
inline constexpr int kImgSteps[16] = {0, 1, 2, 4, 6, 9, 12, 16, 21, 27, 35, 45, 58, 74, 95, 121};

// Sum modulo 256 of a record's 512 payload bytes: what byte 526 must hold.
std::uint8_t ImgBlockSum(RecordView record);

// An IMG image: record 1's reference values, the record count without the erased tail, and
// the record functions the passes use. Without a worker thread it plays nothing; built with a
// PlaybackSetup its worker owns the file and the sound device and obeys the requests below,
// and the window reads the worker's progress only through the getters.
class CImg : public ReaderRequests<ImgCommand> {
public:
    CImg() = default;
    explicit CImg(const PlaybackSetup& setup);
    virtual ~CImg();
    CImg(const CImg&) = default;              // the image state only, never the worker
    CImg& operator=(const CImg&) = default;

    // --- requests to the worker beside the shared ones; a reader without one does nothing
    bool Open(const std::string& path);       // waits for the worker; the file is open
    void Close();                             // does not wait
    void SeekToTime(std::int32_t ms);
    void SetRecordCallback(RecordCallback callback);

    void ParseReference();                       // from m_record
    std::uint32_t CountRecords(CFile64& file);   // keeps the file's position
    BlockStatus CheckRecord() const;             // m_record against m_nRecordCounter
    // 8-bit PCM with the gain into out (at least 817 bytes); the same flags as CheckRecord.
    BlockStatus DecodeRecord(std::span<std::uint8_t> out, std::uint16_t* count) const;

    std::int64_t TimeOfRecord(std::int64_t n) const;
    std::uint32_t RecordAtTime(std::int64_t ms) const;   // the nearest record start, from 1
    std::int64_t GetLengthMs() const { return TimeOfRecord(m_nRecordCount); }
    COleDateTimeSpan GetLength() const { return COleDateTimeSpan::FromMs(GetLengthMs()); }
    std::int64_t GetPlayTime() const;
    std::int64_t GetCounterTime() const;

    std::string GetUnitIdText() const;           // "%X": as the reader and the summaries show it
    std::string GetWindowUnitIdText() const;     // "QL-%04X": as the window and details show it
    int SamplesPerRecord() const { return m_nCoding == 5 ? 816 : 512; }
    void SetGain(double gain);

    double m_dGain = 1.0;
    Record m_record{};
    std::uint32_t m_nRecordCount = 0;
    std::uint32_t m_nRefUnitId = 0;
    std::uint32_t m_nRefFileNumber = 0;
    std::uint32_t m_nCoding = 8;
    std::uint32_t m_nSampleRate = 8000;
    std::uint32_t m_nRecordCounter = 1;
    std::int32_t m_nQueuedMs = 0;
};

// The scan's judging of a piece of an IMG image, for the worker and the pass alike: every
// whole record below the erased tail, from record m_nRecordCounter on, copied into m_record
// and told to `report(index from 0, CheckRecord)`, the counter moved on past each.
template <typename Report>
void ScanImgPiece(CImg& img, std::span<const std::uint8_t> piece, Report&& report) {
    for (std::size_t at = 0; at + kRecordSize <= piece.size(); at += kRecordSize) {
        if (img.m_nRecordCounter > img.m_nRecordCount)
            break;
        std::copy_n(piece.data() + at, kRecordSize, img.m_record.begin());
        report(img.m_nRecordCounter - 1, img.CheckRecord());
        ++img.m_nRecordCounter;
    }
}

// Opens an IMG image read-only as the reader opens it: record 1 read and parsed, the records
// counted, the file back at its start. Fails when the file cannot be opened or read, or holds
// not even one whole record.
std::optional<Error> OpenImg(CFile64& file, const std::string& path, CImg& img);

}  // namespace tvx

#include "formats/img/img.h"

#include "core/bytes.h"
#include "core/format.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tvx {

namespace {

// Boost acts around the silence level and saturates at the ends of the byte.
std::uint8_t Scale(int x, double gain) {
    const double scaled = std::trunc((x - 128) * gain) + 128;
    return static_cast<std::uint8_t>(std::clamp(scaled, 0.0, 255.0));
}

}  // namespace

std::uint8_t ImgBlockSum(RecordView record) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < kPayloadSize; ++i)
        sum += record[i];
    return static_cast<std::uint8_t>(sum);
}

void CImg::ParseReference() {
    m_nCoding = (m_record[kImgOffCoding] & 1) ? 5 : 8;
    m_nSampleRate = LoadLe16(m_record, kImgOffSampleRate);
    m_nRefUnitId = LoadLe16(m_record, kImgOffUnitId);
    m_nRefFileNumber = LoadLe16(m_record, kImgOffFileNumber);
}

std::uint32_t CImg::CountRecords(CFile64& file) {
    const std::uint64_t kept = file.GetPosition();
    std::uint64_t end = file.GetLength();
    std::uint32_t count = 0;
    Record r{};
    // From the end backwards: the erased tail of a unit's flash reads as all 0xFF.
    while (end >= kRecordSize) {
        file.SeekTo(end - kRecordSize);
        const std::uint32_t got = file.ReadFull(r.data(), kRecordSize);
        if (std::any_of(r.begin(), r.begin() + got, [](std::uint8_t b) { return b < 0xFF; })) {
            count = static_cast<std::uint32_t>(end / kRecordSize);
            break;
        }
        end -= kRecordSize;
    }
    file.SeekTo(kept);
    return count;
}

BlockStatus CImg::CheckRecord() const {
    BlockStatus s = 0;
    if (LoadLe16(m_record, kImgOffUnitId) != m_nRefUnitId)
        s |= kIrregular | kUnitIdError;
    if (LoadLe16(m_record, kImgOffFileNumber) != m_nRefFileNumber)
        s |= kIrregular | kFileNumberError;
    if (LoadLe32(m_record, kImgOffBlockNumber) != m_nRecordCounter)
        s |= kIrregular | kBlockOrderError;
    if (ImgBlockSum(m_record) != m_record[kImgOffBlockSum])
        s |= kIrregular | kChecksumError;
    return s;
}

BlockStatus CImg::DecodeRecord(std::span<std::uint8_t> out, std::uint16_t* count) const {
    std::size_t n = 0;
    int predictor = m_record[0];
    out[n++] = Scale(predictor, m_dGain);
    if (m_nCoding != 5) {
        for (std::size_t i = 1; i < kPayloadSize; ++i)
            out[n++] = Scale(m_record[i], m_dGain);
    } else {
        for (std::size_t group = 1; group + 5 <= kPayloadSize; group += 5) {
            std::uint64_t bits = 0;
            for (std::size_t b = 0; b < 5; ++b)
                bits = bits << 8 | m_record[group + b];
            for (int c = 7; c >= 0; --c) {
                const auto code = static_cast<unsigned>(bits >> (5 * c) & 0x1F);
                const int magnitude = kImgSteps[code & 15];
                const int s = predictor + ((code & 0x10) ? -magnitude : magnitude);
                out[n++] = Scale(s, m_dGain);
                predictor = std::clamp(s, 0, 255);
            }
        }
    }
    *count = static_cast<std::uint16_t>(n);
    return CheckRecord();
}

std::int64_t CImg::TimeOfRecord(std::int64_t n) const {
    if (m_nSampleRate == 0)
        return 0;   // a record 1 that names no rate gives no time rather than a division by 0
    return static_cast<std::int64_t>(
        std::trunc(static_cast<double>(SamplesPerRecord()) * static_cast<double>(n) /
                   (m_nSampleRate * 0.001)));
}

std::uint32_t CImg::RecordAtTime(std::int64_t ms) const {
    const std::int64_t spr = SamplesPerRecord();
    const std::int64_t samples = std::int64_t{m_nSampleRate} * ms / 1000;
    return static_cast<std::uint32_t>((spr / 2 + samples) / spr + 1);
}

std::int64_t CImg::GetPlayTime() const {
    if (m_command) {
        const ImgCommand::Published& p = m_command->m_published;
        return TimeOfRecord(p.bufferedNumber.load()) - m_command->m_queuedMs.load();
    }
    return TimeOfRecord(LoadLe32(m_record, kImgOffBlockNumber)) - m_nQueuedMs;
}

std::int64_t CImg::GetCounterTime() const {
    if (m_command) {
        const ImgCommand::Published& p = m_command->m_published;
        return TimeOfRecord(p.counter.load()) - m_command->m_queuedMs.load();
    }
    return TimeOfRecord(m_nRecordCounter) - m_nQueuedMs;
}

std::string CImg::GetUnitIdText() const { return Format("%X", m_nRefUnitId); }

std::string CImg::GetWindowUnitIdText() const { return Format("QL-%04X", m_nRefUnitId); }

std::optional<Error> OpenImg(CFile64& file, const std::string& path, CImg& img) {
    CFileException failure;
    if (!file.Open(path, kGenericRead, kShareRead | kShareWrite, kOpenExisting, &failure,
                   kFlagSequentialScan)) {
        Error e = failure.ToError();
        e.path = path;
        return e;
    }
    try {
        if (file.ReadFull(img.m_record.data(), kRecordSize) != kRecordSize)
            return Error{Cause::BadFormat, 0, path, 0, "The file is too short to hold one record"};
        img.ParseReference();
        img.m_nRecordCount = img.CountRecords(file);
        file.SeekToBegin();
    } catch (const CFileException& e) {
        Error error = e.ToError();
        error.path = path;
        return error;
    }
    return std::nullopt;
}

}  // namespace tvx

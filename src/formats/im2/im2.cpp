#include "formats/im2/im2.h"

#include "core/model_table.h"

#include <cmath>
#include <limits>

namespace tvx {

void CIm2::SetFormat(std::uint8_t formatByte) {
    m_nSampleRate = SampleRateOf(formatByte);
    m_nStoredBits = StoredBitsOf(formatByte);
    m_nChannels = ChannelsOf(formatByte);
}

void CIm2::InitFromHeader() {
    SetFormat(FormatByteOf(m_block));
    m_wFileNumber = FileNumberOf(m_block);
    m_nUnitNumber = UnitNumberOf(m_block);
    m_dwTimestamp = TimestampOf(m_block);
    m_nLastIndex = BlockIndexOf(m_block);
    m_nStatedBlocks = m_nLastIndex + 1;
    m_nFirstIndex = 0;
    m_nBlock = 0;
    m_strUnitId = FormatUnitId(ModelCodeOf(m_block), UnitNumberOf(m_block));
    switch (CompressionOf(ModelCodeOf(m_block))) {
    case 5:
        m_nOutputBits = 8;
        m_bRaw8 = false;
        break;
    case 31:
        // Plain 8-bit recordings are always 8 kHz mono, whatever the format byte says.
        m_nSampleRate = 8000;
        m_nStoredBits = 8;
        m_nOutputBits = 8;
        m_nChannels = 1;
        m_bRaw8 = true;
        break;
    default:
        m_nOutputBits = 16;
        m_bRaw8 = false;
        break;
    }
}

bool CIm2::IsHeaderBad() const {
    return IsIrregular(ChecksumStatus(m_block)) ||
           !IsCompressionSupported(ModelCodeOf(m_block)) ||
           !IsTimestampValid(TimestampOf(m_block)) ||
           BlockIndexOf(m_block) >= kMaxHeaderBlockIndex;
}

void CIm2::SetFileLength(std::uint64_t bytes) {
    const std::uint64_t records = bytes / kRecordSize;
    m_nFileBlocks = static_cast<std::uint32_t>(records == 0 ? 0 : records - 1);
    m_bComplete = records >= 1 && m_nStatedBlocks == records - 1;
}

BlockStatus CIm2::ReferenceStatus(RecordView record, bool judgeOrder) const {
    BlockStatus s = 0;
    if (UnitNumberOf(record) != m_nUnitNumber)
        s |= kIrregular | kUnitIdError;
    if (FileNumberOf(record) != m_wFileNumber)
        s |= kIrregular | kFileNumberError;
    if (judgeOrder && BlockIndexOf(record) != m_nBlock)
        s |= kIrregular | kBlockOrderError;
    const std::uint32_t ts = TimestampOf(record);
    if (ts != m_dwTimestamp || !IsTimestampValid(ts))
        s |= kIrregular | kTimestampError;
    return s;
}

BlockStatus CIm2::CheckBlock(RecordView record) const {
    return ReferenceStatus(record, true) | ChecksumStatus(record);
}

BlockStatus CIm2::CheckRecord(RecordView record, bool headerMode) const {
    BlockStatus s = kHeaderRecord;
    if (headerMode) {
        if (!IsTimestampValid(TimestampOf(record)))
            s |= kIrregular | kTimestampError;
    } else {
        s |= ReferenceStatus(record, false);
    }
    return s | ChecksumStatus(record);
}

std::int64_t CIm2::BlocksToMs(std::uint64_t count) const {
    const int ch = m_nChannels;
    std::int64_t perBlock = 0;
    if (m_nStoredBits == m_nOutputBits)
        perBlock = (512 / (m_nOutputBits / 8)) / ch;
    else   // one initial sample per channel at the output width leads the payload
        perBlock = ((8 / m_nStoredBits) * (512 - (ch * m_nOutputBits) / 8)) / ch + 1;
    const double ms =
        std::trunc(static_cast<double>(static_cast<std::uint64_t>(perBlock) * count) /
                   (m_nSampleRate * 0.001));
    // Kept in 32 bits like the unit's own counter; out of range reads as the lowest value.
    if (!(ms >= std::numeric_limits<std::int32_t>::min() &&
          ms <= std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(ms);
}

std::int64_t CIm2::MsToBlock(std::int64_t ms) const {
    const std::int64_t ch = m_nChannels;
    const std::int64_t perBlock =
        m_nStoredBits == 16 ? 256 / ch : ((256 - ch) * 16 / m_nStoredBits) / ch + 1;
    const auto samples =
        static_cast<std::int64_t>(std::trunc(m_nSampleRate * static_cast<double>(ms) * 0.001));
    return (perBlock / 2 + samples) / perBlock;
}

std::int64_t CIm2::PlayedMs() const {
    return BlocksToMs(std::uint64_t{BufferedIndex()} + 1) - QueuedMs();
}

std::int64_t CIm2::PlayedMsByCounter() const {
    return BlocksToMs(std::uint64_t{CurrentBlock()} + 1) - QueuedMs();
}

std::uint32_t CIm2::CurrentBlock() const {
    return m_command ? m_command->m_published.block.load() : m_nBlock;
}

std::uint32_t CIm2::BufferedIndex() const {
    return m_command ? m_command->m_published.bufferedIndex.load() : BlockIndexOf(m_block);
}

std::uint32_t CIm2::BufferedTimestamp() const {
    return m_command ? m_command->m_published.bufferedTimestamp.load() : TimestampOf(m_block);
}

std::int32_t CIm2::QueuedMs() const {
    return m_command ? m_command->m_queuedMs.load() : m_nQueuedMs;
}

std::string CIm2::GetUnitId() const {
    return m_command ? m_command->GetPublishedUnitId() : m_strUnitId;
}

namespace {

COleDateTime TimeOfStamp(std::uint32_t ts) {
    if (!IsTimestampValid(ts))
        return COleDateTime();
    const PackedTime p = UnpackTimestamp(ts);
    return COleDateTime::FromFields(p.year, p.month, p.day, p.hour, p.minute, p.second);
}

}  // namespace

COleDateTime CIm2::StartTime() const { return TimeOfStamp(m_dwTimestamp); }

COleDateTime CIm2::PositionTime() const {
    return TimeOfStamp(BufferedTimestamp()) + COleDateTimeSpan::FromMs(PlayedMs());
}

}  // namespace tvx

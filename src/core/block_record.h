#pragma once

#include "core/block_status.h"
#include "core/bytes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tvx {

inline constexpr std::size_t kRecordSize = 528;
inline constexpr std::size_t kPayloadSize = 512;
// Largest output of one record: 4-bit storage, one channel, 16-bit output.
inline constexpr std::size_t kMaxDecodedBytes = 2042;

using Record = std::array<std::uint8_t, kRecordSize>;
using RecordView = std::span<const std::uint8_t, kRecordSize>;

// Trailer offsets; 512..524 are the key bytes that seed both the checksum and the cipher.
inline constexpr std::size_t kOffFileNumber = 512;
inline constexpr std::size_t kOffUnitNumber = 514;
inline constexpr std::size_t kOffTimestamp = 516;
inline constexpr std::size_t kOffBlockIndex = 520;
inline constexpr std::size_t kOffFormatByte = 524;
inline constexpr std::size_t kOffModelCode = 525;
inline constexpr std::size_t kOffTrailerSum = 526;
inline constexpr std::size_t kOffBlockSum = 527;

inline std::uint16_t FileNumberOf(RecordView r) { return LoadLe16(r, kOffFileNumber); }
inline std::uint16_t UnitNumberOf(RecordView r) { return LoadLe16(r, kOffUnitNumber); }
inline std::uint32_t TimestampOf(RecordView r) { return LoadLe32(r, kOffTimestamp); }
inline std::uint32_t BlockIndexOf(RecordView r) { return LoadLe32(r, kOffBlockIndex); }
inline std::uint8_t FormatByteOf(RecordView r) { return r[kOffFormatByte]; }
inline std::uint8_t ModelCodeOf(RecordView r) { return r[kOffModelCode]; }

// XOR of the 13 key bytes: the start of the cipher's key stream and of the block checksum.
std::uint8_t KeyOf(RecordView r);

// Sum modulo 256 of bytes 512..525, which the trailer must carry at 526.
std::uint8_t TrailerSumOf(RecordView r);

// The running sum doubles as the cipher's key stream, so Decode gets it in the same pass;
// this stand-alone form serves the header test and the scan, which never decipher.
BlockStatus ChecksumStatus(RecordView r);

// Packed start time: month 1..12 and a day other than 0 make it valid; nothing else is judged.
struct PackedTime {
    int year, month, day, hour, minute, second;
};
constexpr PackedTime UnpackTimestamp(std::uint32_t t) {
    return {static_cast<int>(t >> 26) + 2000, static_cast<int>(t >> 22 & 0xF),
            static_cast<int>(t >> 17 & 0x1F), static_cast<int>(t >> 12 & 0x1F),
            static_cast<int>(t >> 6 & 0x3F), static_cast<int>(t & 0x3F)};
}
constexpr std::uint32_t PackTimestamp(const PackedTime& p) {
    return static_cast<std::uint32_t>(p.year - 2000) << 26 |
           static_cast<std::uint32_t>(p.month & 0xF) << 22 |
           static_cast<std::uint32_t>(p.day & 0x1F) << 17 |
           static_cast<std::uint32_t>(p.hour & 0x1F) << 12 |
           static_cast<std::uint32_t>(p.minute & 0x3F) << 6 |
           static_cast<std::uint32_t>(p.second & 0x3F);
}
constexpr bool IsTimestampValid(std::uint32_t t) {
    const PackedTime p = UnpackTimestamp(t);
    return p.month >= 1 && p.month <= 12 && p.day != 0;
}

// FormatByte fields. Width codes 4..7 have no defined width; we read them as 16 bits.
constexpr int SampleRateOf(std::uint8_t formatByte) {
    constexpr int kRates[4] = {8000, 11025, 16000, 22050};
    return kRates[formatByte & 3];
}
constexpr int StoredBitsOf(std::uint8_t formatByte) {
    constexpr int kWidths[8] = {4, 8, 16, 16, 16, 16, 16, 16};
    return kWidths[formatByte >> 2 & 7];
}
constexpr int ChannelsOf(std::uint8_t formatByte) { return (formatByte >> 5 & 1) ? 2 : 1; }

}  // namespace tvx

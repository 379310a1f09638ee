#pragma once

#include <cstdint>

namespace tvx {

// The verdict on one record: 0 is authentic, each error bit comes with kIrregular.
using BlockStatus = std::uint32_t;

inline constexpr BlockStatus kUnitIdError = 0x00000001u;
inline constexpr BlockStatus kFileNumberError = 0x00000002u;
inline constexpr BlockStatus kBlockOrderError = 0x00000004u;
inline constexpr BlockStatus kChecksumError = 0x00000008u;
inline constexpr BlockStatus kTimestampError = 0x00000010u;
inline constexpr BlockStatus kVoiceImageError = 0x00000100u;
inline constexpr BlockStatus kHeaderRecord = 0x04000000u;
inline constexpr BlockStatus kIrregular = 0x80000000u;

constexpr bool IsIrregular(BlockStatus s) { return (s & kIrregular) != 0; }

}  // namespace tvx

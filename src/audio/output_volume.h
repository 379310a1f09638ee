#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tvx {

struct PcmFormat;

// The program's output volume, one for the whole process as a device volume would be: low
// 16 bits the left channel, high 16 the right, 0..65535 each. Mono follows the left.
void SetOutputVolume(std::uint32_t leftRight);
std::uint32_t GetOutputVolume();

inline constexpr std::uint32_t kFullVolume = 0xFFFFFFFFu;

// Scales PCM bytes in place by a volume; `firstByte` is the offset of bytes[0] within its
// buffer, which must start on a sample frame. Full volume leaves every byte as it was.
void ApplyVolume(std::span<std::uint8_t> bytes, const PcmFormat& format, std::uint32_t volume,
                 std::size_t firstByte);

}  // namespace tvx

#include "audio/output_volume.h"

#include "audio/output_backend.h"

#include <atomic>

namespace tvx {

namespace {

std::atomic<std::uint32_t> g_outputVolume{kFullVolume};

// Truncation toward zero keeps a scaled signal symmetric around silence.
constexpr std::int32_t Scale(std::int32_t centred, std::uint32_t level) {
    return static_cast<std::int32_t>(std::int64_t{centred} * level / 65535);
}

}  // namespace

void SetOutputVolume(std::uint32_t leftRight) { g_outputVolume.store(leftRight); }

std::uint32_t GetOutputVolume() { return g_outputVolume.load(); }

void ApplyVolume(std::span<std::uint8_t> bytes, const PcmFormat& format, std::uint32_t volume,
                 std::size_t firstByte) {
    const std::uint32_t left = volume & 0xFFFF;
    const std::uint32_t right = format.channels == 2 ? volume >> 16 : left;
    if (left == 0xFFFF && right == 0xFFFF)
        return;
    const std::size_t width = format.bitsPerSample / 8;
    const std::size_t frame = format.BlockAlign();
    if (width == 0 || frame == 0)
        return;
    for (std::size_t i = 0; i + width <= bytes.size(); i += width) {
        const bool isRight = format.channels == 2 && ((firstByte + i) % frame) >= width;
        const std::uint32_t level = isRight ? right : left;
        if (width == 1) {
            bytes[i] = static_cast<std::uint8_t>(Scale(bytes[i] - 128, level) + 128);
            continue;
        }
        const auto sample = static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8);
        const auto scaled = static_cast<std::uint16_t>(Scale(sample, level));
        bytes[i] = static_cast<std::uint8_t>(scaled & 0xFF);
        bytes[i + 1] = static_cast<std::uint8_t>(scaled >> 8);
    }
}

}  // namespace tvx

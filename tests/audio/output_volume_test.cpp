#include "audio/output_volume.h"

#include "audio/output_backend.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace tvx {
namespace {

TEST(OutputVolume, EachSideScalesAroundSilenceTowardZero) {
    using Bytes = std::vector<std::uint8_t>;
    // 16-bit frames L 1000, R -1000, L -32768, R 32767, little-endian.
    const Bytes frames{0xE8, 0x03, 0x18, 0xFC, 0x00, 0x80, 0xFF, 0x7F};
    const Bytes eight{0, 1, 127, 128, 129, 200, 254, 255, 60};
    // Why, the format, the volume, the byte the piece starts at, the bytes in and out.
    const std::tuple<const char*, PcmFormat, std::uint32_t, std::size_t, Bytes, Bytes> kCases[] = {
        {"full volume, 8-bit", {8000, 8, 1}, kFullVolume, 0, eight, eight},
        {"full volume, 16-bit", {8000, 16, 2}, kFullVolume, 0, frames, frames},
        {"8-bit mono follows the left", {8000, 8, 1}, 0xFFFF8000u, 0, eight,
         {64, 65, 128, 128, 128, 164, 191, 191, 94}},
        {"16-bit stereo, left half, right silent", {22050, 16, 2}, 0x00008000u, 0, frames,
         {0xF4, 0x01, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00}},
        {"a piece that starts on the right", {22050, 16, 2}, 0x0000FFFFu, 2,
         Bytes(frames.begin() + 2, frames.end()), {0x00, 0x00, 0x00, 0x80, 0x00, 0x00}},
        {"16-bit mono ignores the right level", {8000, 16, 1}, 0xFFFF0000u, 0,
         {0xE8, 0x03, 0x18, 0xFC}, {0, 0, 0, 0}},
    };
    for (auto [why, format, volume, firstByte, bytes, out] : kCases) {
        ApplyVolume(bytes, format, volume, firstByte);
        EXPECT_EQ(bytes, out) << why;
    }
}

}  // namespace
}  // namespace tvx

#include "audio/output_volume.h"

#include "audio/output_backend.h"

#include <gtest/gtest.h>

#include <vector>

namespace tvx {
namespace {

TEST(OutputVolume, StartsFullAndRemembersWhatIsSet) {
    EXPECT_EQ(GetOutputVolume(), 0xFFFFFFFFu);
    SetOutputVolume(0x80004000u);
    EXPECT_EQ(GetOutputVolume(), 0x80004000u);
    SetOutputVolume(kFullVolume);
}

TEST(OutputVolume, FullVolumeChangesNoByte) {
    std::vector<std::uint8_t> bytes{0, 1, 127, 128, 129, 254, 255, 0x00, 0x80};
    const auto before = bytes;
    ApplyVolume(bytes, PcmFormat{8000, 8, 1}, kFullVolume, 0);
    EXPECT_EQ(bytes, before);
    ApplyVolume(bytes, PcmFormat{8000, 16, 2}, kFullVolume, 0);
    EXPECT_EQ(bytes, before);
}

TEST(OutputVolume, EightBitSamplesScaleAroundSilence) {
    std::vector<std::uint8_t> bytes{0, 128, 200, 255, 60};
    ApplyVolume(bytes, PcmFormat{8000, 8, 1}, 0xFFFF8000u, 0);   // mono follows the left
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{64, 128, 164, 191, 94}));
}

TEST(OutputVolume, SixteenBitStereoTakesEachSideItsOwnLevel) {
    // L 1000, R -1000, L -32768, R 32767, little-endian.
    const std::vector<std::uint8_t> frames{0xE8, 0x03, 0x18, 0xFC, 0x00, 0x80, 0xFF, 0x7F};
    auto bytes = frames;
    ApplyVolume(bytes, PcmFormat{22050, 16, 2}, 0x00008000u, 0);   // left half, right silent
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xF4, 0x01, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00}));

    // A piece that starts on the right channel of its frame.
    std::vector<std::uint8_t> tail(frames.begin() + 2, frames.end());
    ApplyVolume(tail, PcmFormat{22050, 16, 2}, 0x0000FFFFu, 2);
    EXPECT_EQ(tail, (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x80, 0x00, 0x00}));
}

TEST(OutputVolume, MonoIgnoresTheRightLevel) {
    std::vector<std::uint8_t> bytes{0xE8, 0x03, 0x18, 0xFC};
    ApplyVolume(bytes, PcmFormat{8000, 16, 1}, 0xFFFF0000u, 0);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace tvx

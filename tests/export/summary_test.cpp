#include "export/summary.h"

#include "export_support.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

std::string WrittenSummary(const synth::Im2Options& options, const SegmentCounters& counters,
                           std::uint32_t start, double duration) {
    CIm2 image;
    image.m_block = synth::HeaderRecord(options);
    image.InitFromHeader();
    test::TempDir dir;
    TextStream text;
    EXPECT_TRUE(text.Open(dir / "s.txt", nullptr));
    WriteSummary("/rec/F00012.IM2", text, image, counters, start, duration);
    text.Close();
    return test::ReadText(dir / "s.txt");
}

TEST(WriteSummary, CountersGoToTheirLinesAndFormatsShowTheStoredWidth) {
    // 4-bit stereo at 11,025 Hz: 509 samples a block, written out at 16 bits.
    const std::vector<std::string> lines = test::LinesOf(
        WrittenSummary({.storedBits = 4, .channels = 2, .rateCode = 1, .blocks = 780000},
                       {3, 2, 1, 4, 0, 0, 0, 5, 0, 7}, 86399, 36000.0));
    const std::vector<std::string> expected = {
        "Recording Length:  10:00:10\r",   // 780,000 x 509 / 11,025 = 36,010.88 s
        "WAV Segment Start Time: 2008/03/15 09:26:52\r",
        "WAV Segment Length: 10:00:00\r",
        "Sample Rate: 11,025 Hz\r",
        "Bits Per Sample: 4\r",
        "Channels: 2\r",
        "Samples Per Channel: 396900000\r",
        "Unit ID Errors: 2\r",
        "File Number Errors: 3\r",
        "Block Order Errors: 4\r",
        "Timestamp Errors: 1\r",
        "Block Checksum Errors: 5\r",
        "Total Irregular Blocks: 7\r",
        "(Total Time Irregular: 0.32 s)\r",   // 7 x 509 / 11,025 = 323 ms
    };
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 6, lines.begin() + 20), expected);
}

TEST(WriteSummary, AnUnreadableStartTimeSaysSo) {
    const std::vector<std::string> lines = test::LinesOf(WrittenSummary(
        {.storedBits = 16, .timestamp = PackTimestamp({2008, 3, 14, 25, 0, 0}), .blocks = 10},
        SegmentCounters{}, 60, 1.0));
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[5], "Recording Start TimeInvalid DateTime\r");
    EXPECT_EQ(lines[7], "WAV Segment Start TimeInvalid DateTime\r");
}

}  // namespace
}  // namespace tvx

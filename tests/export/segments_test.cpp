// What a segment holds and is named, and the summary written at its end.
#include "export/segment_writer.h"
#include "export/segments.h"
#include "formats/im2/im2_summary.h"

#include "test_support.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

using Lines = std::vector<std::string>;

TEST(AddToCounters, EachErrorBitHasItsSlotAndEveryCallCountsInNine) {
    SegmentCounters counters{};
    AddToCounters(counters, 0x80000002u);
    EXPECT_EQ(counters, (SegmentCounters{1, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    AddToCounters(counters, 0x8400001Du);   // unit, block order, checksum, timestamp
    EXPECT_EQ(counters, (SegmentCounters{1, 1, 1, 1, 0, 0, 0, 1, 0, 2}));
    AddToCounters(counters, 0x80000100u);
    EXPECT_EQ(counters, (SegmentCounters{1, 1, 1, 1, 0, 0, 0, 1, 1, 3}));
}

TEST(SegmentByteLimit, MinutesWinThenMegabytesThenTheCeiling) {
    // Channels, output bits and rate, megabytes and minutes; the bytes a segment may hold.
    // Five minutes, 1 MiB, 1 Hz and 0 Hz are cut by the conversion's own tests.
    const std::tuple<int, int, int, std::uint16_t, std::uint16_t, std::uint32_t> cases[] = {
        {2, 16, 22050, 0, 1, 5'292'000u},
        {1, 8, 8000, 0, 10, 4'800'000u},
        {1, 16, 8000, 7, 2, 1'920'000u},            // both given: minutes
        {1, 16, 8000, 0, 0, 2'146'435'072u},        // neither
        {1, 16, 8000, 2048, 0, 2'146'435'072u},
        {1, 16, 8000, 0, 2235, 2'145'600'000u},
        {1, 16, 8000, 0, 2236, 2'146'435'072u},     // 2,146,560,000 is past the ceiling
        {2, 16, 22050, 0, 65535, 2'146'435'072u},   // and this past 32 bits
        {1, 8, 0, 3, 1, 3'145'728u},                // 0 Hz: no time to cut by, so the megabytes count
    };
    for (const auto& [channels, outputBits, rate, megabytes, minutes, expected] : cases) {
        SCOPED_TRACE(std::to_string(megabytes) + " MB, " + std::to_string(minutes) + " min");
        EXPECT_EQ(SegmentByteLimit(channels, outputBits, rate, megabytes, minutes), expected);
    }
}

TEST(SegmentNames, FolderNameAndIndexMakeTheFileNames) {
    // The source and the folder; segment 0's WAV and segment 1's text.
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {"/rec/F00012.IM2", "/out", "/out/F00012.00.wav", "/out/F00012.01.txt"},
        {"/rec/F00012.IM2", "/out/", "/out/F00012.00.wav", "/out/F00012.01.txt"},
        {"F00012.IM2", "out", "out/F00012.00.wav", "out/F00012.01.txt"},
        {"/rec.d/take.two.im2", "/o", "/o/take.two.00.wav", "/o/take.two.01.txt"},
        {"/rec/noext", "/o", "/o/n.00.wav", "/o/n.01.txt"},   // the last four go, whatever
    };
    for (const auto& [source, folder, wav0, txt1] : cases) {
        SCOPED_TRACE(source + " -> " + folder);
        const SegmentNames names = NameSegments(source, folder);
        EXPECT_EQ(names.WavPath(0), wav0);
        EXPECT_EQ(names.TextPath(1), txt1);
    }
    EXPECT_EQ(NameSegments("/rec/F00012.IM2", "/out").WavPath(100), "/out/F00012.100.wav");
}


TEST(SegmentWriter, WhenTheNamesRunOutThePassEndsRatherThanWriteOverTheFirst) {
    // One byte a segment; past the last number the next name would be segment 00's again.
    // (The real last is 65,535, which a 1 Hz IMG image reaches with 4 MB of audio.)
    test::TempDir dir;
    SegmentWriter writer({dir / "F00012.IM2", NameSegments(dir / "F00012.IM2", dir / ""), {}, false}, 114,
                         WaveFormat{8000, 8, 1}, 1, [](TextStream&, const SegmentCounters&, std::uint32_t, double) {}, 3);
    Error error;
    ASSERT_TRUE(writer.OpenFirst(&error));
    EXPECT_THROW(writer.WriteAudio(std::vector<std::uint8_t>{10, 11, 12, 13, 14}), CFileException);
    writer.EndCancelled();
    EXPECT_EQ(writer.SegmentsOpened(), 4u);
    for (int k = 0; k < 4; ++k) {
        const std::vector<std::uint8_t> wav = test::ReadBytes(dir / ("F00012.0" + std::to_string(k) + ".wav"));
        EXPECT_EQ(wav.size(), 45u);
        EXPECT_EQ(wav.at(44), 10 + k);
    }
    EXPECT_NE(test::ReadText(dir / "F00012.00.txt").find("Decryption Completed."), std::string::npos);
    const std::string last = test::ReadText(dir / "F00012.03.txt");
    EXPECT_TRUE(last.ends_with("Creating File: F00012.03.wav\r\r\nDecryption Cancelled.\r\n")) << last;
    EXPECT_EQ(test::FolderEntries(dir / "").size(), 8u);
}

// The summary lines of an IM2 image of `options`, a segment starting `start` s in and lasting
// `duration` s.
Lines WrittenSummary(const synth::Im2Options& options, const SegmentCounters& counters, std::uint32_t start,
                     double duration) {
    CIm2 image;
    image.m_block = synth::HeaderRecord(options);
    image.InitFromHeader();
    test::TempDir dir;
    TextStream text;
    EXPECT_TRUE(text.Open(dir / "s.txt", nullptr));
    WriteSummary("/rec/F00012.IM2", text, image, counters, start, duration);
    text.Close();
    return test::LinesOf(test::ReadText(dir / "s.txt"));
}

TEST(WriteSummary, CountersGoToTheirLinesAndFormatsShowTheStoredWidth) {
    // 4-bit stereo at 11,025 Hz: 509 samples a block, written out at 16 bits.
    const Lines lines = WrittenSummary({.storedBits = 4, .channels = 2, .rateCode = 1, .blocks = 780000},
                                       {3, 2, 1, 4, 0, 0, 0, 5, 0, 7}, 86399, 36000.0);
    const Lines expected = {
        "Recording Length:  10:00:10\r",   // 780,000 x 509 / 11,025 = 36,010.88 s
        "WAV Segment Start Time: 2008/03/15 09:26:52\r", "WAV Segment Length: 10:00:00\r", "Sample Rate: 11,025 Hz\r",
        "Bits Per Sample: 4\r", "Channels: 2\r", "Samples Per Channel: 396900000\r", "Unit ID Errors: 2\r",
        "File Number Errors: 3\r", "Block Order Errors: 4\r", "Timestamp Errors: 1\r", "Block Checksum Errors: 5\r",
        "Total Irregular Blocks: 7\r",
        "(Total Time Irregular: 0.32 s)\r",   // 7 x 509 / 11,025 = 323 ms
    };
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(Lines(lines.begin() + 6, lines.begin() + 20), expected);
    // A timestamp that names no time says so.
    const Lines invalid = WrittenSummary({.timestamp = PackTimestamp({2008, 3, 14, 25, 0, 0}), .blocks = 10}, {}, 60, 1.0);
    ASSERT_EQ(invalid.size(), 23u);
    EXPECT_EQ(invalid[5], "Recording Start TimeInvalid DateTime\r");
    EXPECT_EQ(invalid[7], "WAV Segment Start TimeInvalid DateTime\r");
}

}  // namespace
}  // namespace tvx

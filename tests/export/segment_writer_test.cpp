#include "export/segment_writer.h"

#include "export_support.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

TEST(SegmentWriter, WhenTheNamesRunOutThePassEndsRatherThanWriteOverTheFirst) {
    // One byte a segment; past the last number the next name would be segment 00's again.
    // (The real last is 65,535, which a 1 Hz IMG image reaches with 4 MB of audio.)
    test::TempDir dir;
    SegmentWriter writer({dir / "F00012.IM2", NameSegments(dir / "F00012.IM2", dir / ""), {}, false},
                         114, WaveFormat{8000, 8, 1}, 1,
                         [](TextStream&, const SegmentCounters&, std::uint32_t, double) {}, 3);
    Error error;
    ASSERT_TRUE(writer.OpenFirst(&error));
    const std::vector<std::uint8_t> audio = {10, 11, 12, 13, 14};
    EXPECT_THROW(writer.WriteAudio(audio), CFileException);
    writer.EndCancelled();
    EXPECT_EQ(writer.SegmentsOpened(), 4u);
    for (std::uint8_t k = 0; k < 4; ++k)
        EXPECT_EQ(test::WavData(dir / ("F00012.0" + std::to_string(k) + ".wav")),
                  std::vector<std::uint8_t>{static_cast<std::uint8_t>(10 + k)});
    EXPECT_NE(test::ReadText(dir / "F00012.00.txt").find("Decryption Completed."), std::string::npos);
    const std::string last = test::ReadText(dir / "F00012.03.txt");
    EXPECT_TRUE(last.ends_with("Creating File: F00012.03.wav\r\r\nDecryption Cancelled.\r\n")) << last;
    EXPECT_EQ(test::FolderEntries(dir / "").size(), 8u);
}

}  // namespace
}  // namespace tvx

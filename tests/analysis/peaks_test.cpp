#include "analysis/peaks.h"
#include "formats/home_of.h"

#include "synth/image_reading.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace tvx {
namespace {

namespace fs = std::filesystem;

class CountingHooks : public Hooks {
public:
    int cancelAfter = -1;   // polls before Cancel; -1 never
    int pumps = 0, polls = 0;
    std::vector<std::string> notices;
    bool PumpWaitingMessage() override {
        ++pumps;
        return true;
    }
    bool IsCancelled() override { return cancelAfter >= 0 && ++polls > cancelAfter; }
    void Notice(const std::string&, const std::string& text) override { notices.push_back(text); }
};

// The peak every column should show: the core decoder run over the whole recording, column i
// drawing block first + floor(i * blocks / width).
std::vector<std::uint16_t> Expected(const synth::Im2Options& whole, std::uint32_t first,
                                    std::uint32_t blocks, std::uint16_t width) {
    const std::vector<std::uint8_t> image = synth::MakeIm2(whole);
    std::vector<std::uint8_t> decoded;
    synth::DecodeImage(image, decoded);
    CIm2 header;
    synth::LoadHeader(header, image);
    const std::size_t perBlock = decoded.size() / whole.blocks;
    std::vector<std::uint16_t> out;
    for (std::uint16_t i = 0; i < width; ++i) {
        const auto j = first + static_cast<std::uint32_t>(std::floor(i * (double(blocks) / width)));
        out.push_back(PeaksOfBlock(decoded.data() + j * perBlock, perBlock, header.m_nOutputBits,
                                   header.GetChannels()).peak1);
    }
    return out;
}

TEST(PeaksOfBlockTest, ExtremesPerChannelInSixteenBitUnits) {
    const std::uint8_t mono16[] = {0x00, 0x80, 0xFF, 0x7F, 0x10, 0x00};   // -32768, 32767, 16
    EXPECT_EQ(PeaksOfBlock(mono16, 6, 16, 1).peak1, 65535);
    const std::uint8_t stereo16[] = {0x10, 0x00, 0x00, 0x01, 0xF0, 0xFF, 0x00, 0xFF};
    const BlockPeaks s = PeaksOfBlock(stereo16, 8, 16, 2);
    EXPECT_EQ(s.peak1, 16 + 16);     // 16 and -16
    EXPECT_EQ(s.peak2, 256 + 256);   // 256 and -256
    const std::uint8_t mono8[] = {128, 130, 120};
    EXPECT_EQ(PeaksOfBlock(mono8, 3, 8, 1).peak1, (2 + 8) * 256);
    const std::uint8_t flat[] = {128, 128};
    EXPECT_EQ(PeaksOfBlock(flat, 2, 8, 1).peak1, 0);
}

class PeaksTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                (std::string("tvx-peaks-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_dir;
};

TEST_F(PeaksTest, EveryFormatShowsTheBlocksItsColumnsStandFor) {
    const synth::Im2Options stereo{.storedBits = 8, .channels = 2,
                                   .modelCode = *synth::ModelCodeForCompression(4), .blocks = 300};
    ASSERT_TRUE(synth::WriteIm2File(PathOf("a.IM2"), stereo));
    const synth::Im2Options few{.blocks = 5};
    ASSERT_TRUE(synth::WriteIm2File(PathOf("few.IM2"), few));
    synth::Im2Options overstated = few;
    overstated.statedBlocks = 10;   // the header promises twice what the file holds
    ASSERT_TRUE(synth::WriteIm2File(PathOf("cut.IM2"), overstated));
    synth::Ix2Options split;
    split.audio = {.storedBits = 16, .blocks = 120};
    split.splitFirst = 40;
    ASSERT_TRUE(synth::WriteIx2File(PathOf("p.IX2"), split));
    split.chain = true;
    ASSERT_TRUE(synth::WriteIx2File(PathOf("c.IX2"), split));
    // A chain whose tables do not name it: index block 0 numbers its 124 outer blocks.
    synth::Ix2Options unnamed;
    unnamed.audio = split.audio;
    unnamed.chain = true;
    unnamed.matchingEntry = false;
    ASSERT_TRUE(synth::WriteIx2File(PathOf("unnamed.IX2"), unnamed));
    synth::Im2Options recording = split.audio;
    recording.blocks = 160;

    struct Case {
        std::string name;
        ImageFormat format;
        std::uint16_t width;
        std::uint64_t blocks;
        int columns, channels;
        std::vector<std::uint16_t> peaks;   // of the columns done
    };
    const std::vector<std::uint16_t> unnamedPeaks = Expected({.storedBits = 16, .blocks = 124}, 0, 124, 62);
    const Case cases[] = {
        {"a.IM2", ImageFormat::Im2, 97, 300, 97, 2, Expected(stereo, 0, 300, 97)},
        {"few.IM2", ImageFormat::Im2, 20, 5, 20, 1, Expected(few, 0, 5, 20)},   // four columns a block
        {"cut.IM2", ImageFormat::Im2, 10, 10, 5, 1, Expected(few, 0, 5, 5)},      // the missing tail ends it
        {"p.IX2", ImageFormat::Ix2, 50, 120, 50, 1, Expected(recording, 40, 120, 50)},
        {"c.IX2", ImageFormat::Ix2, 50, 120, 50, 1, Expected(recording, 40, 120, 50)},
        // Column 60 would need block 120, which is not there.
        {"unnamed.IX2", ImageFormat::Ix2, 62, 124, 60, 1, {unnamedPeaks.begin(), unnamedPeaks.begin() + 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountingHooks hooks;
        const Peaks p = BuildPeaks(PathOf(c.name), c.format, c.width, hooks);
        EXPECT_EQ(p.blocks, c.blocks);
        EXPECT_EQ(p.channels, c.channels);
        EXPECT_EQ(p.columnsDone, c.columns);
        EXPECT_EQ(hooks.pumps, c.columns);
        ASSERT_EQ(p.peak1.size(), c.width);
        EXPECT_EQ(std::vector<std::uint16_t>(p.peak1.begin(), p.peak1.begin() + c.columns), c.peaks);
    }
    CountingHooks hooks;
    const Peaks a = BuildPeaks(PathOf("a.IM2"), ImageFormat::Im2, 97, hooks);
    ASSERT_EQ(a.peak2.size(), 97u);
    EXPECT_NE(a.peak2, a.peak1);   // the second channel has a column row of its own

    // IMG: column i shows record 3i + 1 of the data, that is record 3i + 2 of the file.
    ASSERT_TRUE(synth::WriteImgFile(PathOf("v.IMG"), {.bits = 5, .records = 30, .erased = 3}));
    const Peaks img = BuildPeaks(PathOf("v.IMG"), ImageFormat::Img, 10, hooks);
    EXPECT_EQ(img.blocks, 30u);
    EXPECT_EQ(img.channels, 1);
    EXPECT_EQ(img.columnsDone, 10);
    for (std::uint16_t i = 0; i < 10; ++i) {
        const std::vector<std::uint8_t> s = synth::ImgSamples({.bits = 5}, 3u * i + 2);
        EXPECT_EQ(img.peak1[i], PeaksOfBlock(s.data(), s.size(), 8, 1).peak1) << i;
    }
}

TEST_F(PeaksTest, CancelKeepsTheColumnsShownSoFar) {
    ASSERT_TRUE(synth::WriteIm2File(PathOf("a.IM2"), {.blocks = 100}));
    CountingHooks hooks;
    hooks.cancelAfter = 7;
    const Peaks p = BuildPeaks(PathOf("a.IM2"), ImageFormat::Im2, 100, hooks);
    EXPECT_TRUE(p.cancelled);
    EXPECT_EQ(p.columnsDone, 7);
    EXPECT_EQ(p.blocks, 100u);
}

TEST_F(PeaksTest, UnopenableFileIsToldAndGivesNoBlocks) {
    CountingHooks hooks;
    const std::string path = PathOf("gone.IX2");
    const Peaks p = BuildPeaks(path, ImageFormat::Ix2, 10, hooks);
    EXPECT_EQ(p.blocks, 0u);
    EXPECT_EQ(p.columnsDone, 0);
    ASSERT_EQ(hooks.notices.size(), 1u);
    EXPECT_EQ(hooks.notices[0], "Failed to open: " + path + "\n\nCause: No such file or directory");
}

// Every format has its home, a path's rules pick it, and the home describes the image by its
// format's own rules: the strip's header slots, what it counts and whose identity it shows.
using FormatHomeTest = PeaksTest;
TEST_F(FormatHomeTest, APathOpensInTheHomeOfItsRules) {
    synth::Im2Options im2;
    fs::create_directories(PathOf("x.IX2"));
    ASSERT_TRUE(synth::WriteIm2File(PathOf("a.IM2"), im2));
    ASSERT_TRUE(synth::WriteIm2File(PathOf("x.IX2/F1.im2"), im2));
    synth::Ix2Options ix2;
    ix2.audio.blocks = 120;
    ix2.splitFirst = 40;
    ASSERT_TRUE(synth::WriteIx2File(PathOf("p.IX2"), ix2));
    ix2.chain = true;
    ASSERT_TRUE(synth::WriteIx2File(PathOf("c.IX2"), ix2));
    ASSERT_TRUE(synth::WriteImgFile(PathOf("r.IMG"), synth::ImgOptions{}));

    using enum ImageFormat;
    struct Case {
        const char* name;
        ImageFormat format;
        std::uint64_t blocks;
        std::uint32_t stripExtra;
        IdentityTexts identity;
        std::uint64_t splitFirst;   // 0 when the format has no split
        bool complete;              // IX2: the recording's blocks, not the split's
    };
    for (const Case& c : {
             Case{"a.IM2", Im2, 20, 1, {"QM-04242", "12"}, 0, true},
             Case{"x.IX2/F1.im2", Im2, 20, 1, {"QM-04242", "12"}, 0, true},
             Case{"p.IX2", Ix2, 120, 3, {"QM-04242", "12"}, 40, false},
             Case{"c.IX2", Ix2, 120, 3, {"QM-04242 (Slave QM-00777)", "12 (Slave 3)"}, 40, false},
             Case{"r.IMG", Img, 20, 0, {"QL-1A2B", "7"}, 0, true},
         }) {
        SCOPED_TRACE(c.name);
        const Result<OpenedImage> opened = HomeFor(PathOf(c.name)).Open(PathOf(c.name));
        ASSERT_TRUE(opened);
        EXPECT_EQ(opened->format, c.format);
        EXPECT_EQ(opened->totalBlocks, c.blocks);
        EXPECT_EQ(opened->stripExtra, c.stripExtra);
        EXPECT_EQ(opened->identity, c.identity);
        EXPECT_EQ(opened->start.has_value(), c.format != Img);
        EXPECT_EQ(opened->split.has_value(), c.format == Ix2);
        EXPECT_EQ(opened->split ? opened->split->first : 0, c.splitFirst);
        EXPECT_FALSE(opened->headerBad);
        EXPECT_EQ(opened->complete, c.complete);
    }
}

}  // namespace
}  // namespace tvx

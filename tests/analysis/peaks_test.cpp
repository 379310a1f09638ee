#include "analysis/peaks.h"
#include "formats/home_of.h"

#include "formats/im2/im2.h"
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

// The peaks every column should show, from the decoder run over the image's blocks.
std::vector<BlockPeaks> Expected(const synth::Im2Options& whole, std::uint32_t first,
                                 std::uint32_t blocks, std::uint16_t width) {
    CIm2 image;
    image.m_block = synth::HeaderRecord(whole);
    image.InitFromHeader();
    std::vector<BlockPeaks> out;
    std::array<std::uint8_t, kMaxDecodedBytes> bytes{};
    for (std::uint16_t i = 0; i < width; ++i) {
        const auto j = static_cast<std::uint32_t>(std::floor(i * (double(blocks) / width)));
        image.m_block = synth::DataRecord(whole, first + j);
        std::uint16_t count = 0;
        image.Decode(bytes, &count);
        out.push_back(PeaksOfBlock(bytes.data(), count, image.m_nOutputBits, image.GetChannels()));
    }
    return out;
}

class PeaksTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / (std::string("tvx-peaks-") + info->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string PathOf(const char* name) const { return (m_dir / name).string(); }

    static void ExpectPeaks(const Peaks& p, const std::vector<BlockPeaks>& want) {
        ASSERT_EQ(p.peak1.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(p.peak1[i], want[i].peak1) << i;
            if (p.channels == 2) {
                EXPECT_EQ(p.peak2[i], want[i].peak2) << i;
            }
        }
    }

    fs::path m_dir;
};

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

TEST_F(PeaksTest, EveryFormatShowsTheBlocksItsColumnsStandFor) {
    synth::Im2Options stereo;
    stereo.storedBits = 8;
    stereo.channels = 2;
    stereo.blocks = 300;
    stereo.modelCode = *synth::ModelCodeForCompression(4);
    ASSERT_TRUE(synth::WriteIm2File(PathOf("a.IM2"), stereo));
    CountingHooks hooks;
    const Peaks im2 = BuildPeaks(PathOf("a.IM2"), ImageFormat::Im2, 97, hooks);
    EXPECT_EQ(im2.blocks, 300u);
    EXPECT_EQ(im2.channels, 2);
    EXPECT_EQ(im2.columnsDone, 97);
    EXPECT_EQ(hooks.pumps, 97);
    ExpectPeaks(im2, Expected(stereo, 0, 300, 97));

    for (const bool chain : {false, true}) {
        synth::Ix2Options o;
        o.audio.storedBits = 16;
        o.audio.blocks = 120;
        o.splitFirst = 40;
        o.chain = chain;
        const std::string path = PathOf(chain ? "c.IX2" : "p.IX2");
        ASSERT_TRUE(synth::WriteIx2File(path, o));
        const Peaks ix2 = BuildPeaks(path, ImageFormat::Ix2, 50, hooks);
        SCOPED_TRACE(chain ? "chain" : "plain");
        EXPECT_EQ(ix2.blocks, 120u);
        EXPECT_EQ(ix2.columnsDone, 50);
        synth::Im2Options whole = o.audio;
        whole.blocks = 160;
        ExpectPeaks(ix2, Expected(whole, 40, 120, 50));
    }

    // A chain whose tables do not name it: index block 0 numbers its 124 outer blocks.
    synth::Ix2Options unnamed;
    unnamed.audio.storedBits = 16;
    unnamed.audio.blocks = 120;
    unnamed.chain = true;
    unnamed.matchingEntry = false;
    const std::string path = PathOf("unnamed.IX2");
    ASSERT_TRUE(synth::WriteIx2File(path, unnamed));
    const Peaks p = BuildPeaks(path, ImageFormat::Ix2, 62, hooks);
    EXPECT_EQ(p.blocks, 124u);
    EXPECT_EQ(p.columnsDone, 60);   // column 60 would need block 120, which is not there
}

TEST_F(PeaksTest, FewBlocksRepeatAcrossColumnsAndAMissingTailEndsThePass) {
    synth::Im2Options o;
    o.blocks = 5;
    ASSERT_TRUE(synth::WriteIm2File(PathOf("short.IM2"), o));
    CountingHooks hooks;
    const Peaks few = BuildPeaks(PathOf("short.IM2"), ImageFormat::Im2, 20, hooks);
    EXPECT_EQ(few.columnsDone, 20);
    ExpectPeaks(few, Expected(o, 0, 5, 20));
    EXPECT_EQ(few.peak1[0], few.peak1[3]);   // four columns per block

    o.statedBlocks = 10;   // the header promises twice what the file holds
    ASSERT_TRUE(synth::WriteIm2File(PathOf("cut.IM2"), o));
    const Peaks cut = BuildPeaks(PathOf("cut.IM2"), ImageFormat::Im2, 10, hooks);
    EXPECT_EQ(cut.blocks, 10u);
    EXPECT_EQ(cut.columnsDone, 5);
}

TEST_F(PeaksTest, CancelKeepsTheColumnsShownSoFar) {
    synth::Im2Options o;
    o.blocks = 100;
    ASSERT_TRUE(synth::WriteIm2File(PathOf("a.IM2"), o));
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

#include "analysis/peaks.h"
#include "formats/home_of.h"

#include "analysis_support.h"
#include "synth/image_reading.h"

#include <filesystem>
#include <tuple>

namespace tvx {
namespace {

// The peaks of the blocks named, by the core decoder run over the whole recording.
std::vector<std::uint16_t> PeaksOf(const synth::Im2Options& whole, const std::vector<std::uint32_t>& blocks) {
    const std::vector<std::uint8_t> image = synth::MakeIm2(whole), decoded = test::DecodeAll(image);
    CIm2 header;
    synth::LoadHeader(header, image);
    const std::size_t perBlock = decoded.size() / whole.blocks;
    std::vector<std::uint16_t> out;
    for (const std::uint32_t j : blocks)
        out.push_back(PeaksOfBlock(&decoded[j * perBlock], perBlock, header.m_nOutputBits, header.GetChannels()).peak1);
    return out;
}

TEST(PeaksOfBlockTest, ExtremesPerChannelInSixteenBitUnits) {
    const std::uint8_t mono16[] = {0x00, 0x80, 0xFF, 0x7F, 0x10, 0x00};   // -32768, 32767, 16
    const std::uint8_t stereo16[] = {0x10, 0x00, 0x00, 0x01, 0xF0, 0xFF, 0x00, 0xFF};   // 16, 256, -16, -256
    const std::uint8_t mono8[] = {128, 130, 120}, flat[] = {128, 128};
    const BlockPeaks s = PeaksOfBlock(stereo16, 8, 16, 2);
    EXPECT_EQ(std::tuple(PeaksOfBlock(mono16, 6, 16, 1).peak1, s.peak1, s.peak2, PeaksOfBlock(mono8, 3, 8, 1).peak1,
                         PeaksOfBlock(flat, 2, 8, 1).peak1),
              std::tuple(65535, 16 + 16, 256 + 256, (2 + 8) * 256, 0));
}

using PeaksTest = test::ImageDir;

TEST_F(PeaksTest, EveryFormatShowsTheBlocksItsColumnsStandFor) {
    const synth::Im2Options stereo{.storedBits = 8, .channels = 2,
                                   .modelCode = *synth::ModelCodeForCompression(4), .blocks = 300};
    const synth::Im2Options few{.blocks = 5}, recording{.storedBits = 16, .blocks = 160};
    synth::Im2Options overstated = few;
    overstated.statedBlocks = 10;   // the header promises twice what the file holds
    const synth::Ix2Options split{.audio = {.storedBits = 16, .blocks = 120}, .splitFirst = 40};
    synth::Ix2Options chain = split;
    chain.chain = true;
    // A chain whose tables do not name it: index block 0 numbers its 124 outer blocks.
    synth::Ix2Options unnamed{.audio = split.audio, .chain = true};
    unnamed.matchingEntry = false;

    // The image, its format and the width asked; the blocks, the columns done, the channels
    // and the peaks of the columns done. Column i shows block floor(i x blocks / width).
    using Columns = std::vector<std::uint16_t>;
    const std::tuple<std::string, ImageFormat, std::uint16_t, std::uint64_t, int, int, Columns> kCases[] = {
        {Im2("a.IM2", stereo), ImageFormat::Im2, 7, 300, 7, 2, PeaksOf(stereo, {0, 42, 85, 128, 171, 214, 257})},
        {Im2("few.IM2", few), ImageFormat::Im2, 10, 5, 10, 1, PeaksOf(few, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4})},
        // The tail ends it.
        {Im2("cut.IM2", overstated), ImageFormat::Im2, 10, 10, 5, 1, PeaksOf(few, {0, 1, 2, 3, 4})},
        {Ix2("p.IX2", split), ImageFormat::Ix2, 7, 120, 7, 1, PeaksOf(recording, {40, 57, 74, 91, 108, 125, 142})},
        {Ix2("c.IX2", chain), ImageFormat::Ix2, 7, 120, 7, 1, PeaksOf(recording, {40, 57, 74, 91, 108, 125, 142})},
        // Column 30 would need block 120, which is not there.
        {Ix2("unnamed.IX2", unnamed), ImageFormat::Ix2, 31, 124, 30, 1,
         PeaksOf({.storedBits = 16, .blocks = 124}, {0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48, 52, 56, 60,
                                                     64, 68, 72, 76, 80, 84, 88, 92, 96, 100, 104, 108, 112, 116})},
    };
    for (const auto& [path, format, width, blocks, columns, channels, peaks] : kCases) {
        SCOPED_TRACE(path);
        test::RecordingHooks hooks;
        const Peaks p = BuildPeaks(path, format, width, hooks);
        EXPECT_EQ(std::tuple(p.blocks, p.channels, p.columnsDone, hooks.pumps),
                  std::tuple(blocks, channels, columns, columns));
        ASSERT_EQ(p.peak1.size(), width);
        EXPECT_EQ(std::vector<std::uint16_t>(p.peak1.begin(), p.peak1.begin() + columns), peaks);
        if (channels == 2) {
            EXPECT_NE(p.peak2, p.peak1);   // the second channel has a column row of its own
        }
    }
    // IMG: column i shows record 3i + 1 of the data, that is record 3i + 2 of the file.
    test::RecordingHooks hooks;
    const Peaks img = BuildPeaks(Img("v.IMG", {.bits = 5, .records = 30, .erased = 3}), ImageFormat::Img, 10, hooks);
    EXPECT_EQ(std::tuple(img.blocks, img.channels, img.columnsDone), std::tuple(30u, 1, 10));
    for (std::uint16_t i = 0; i < 10; ++i) {
        const std::vector<std::uint8_t> s = synth::ImgSamples({.bits = 5}, 3u * i + 2);
        EXPECT_EQ(img.peak1[i], PeaksOfBlock(s.data(), s.size(), 8, 1).peak1) << i;
    }
}

TEST_F(PeaksTest, CancelKeepsTheColumnsShownSoFarAndAFailureIsTold) {
    test::RecordingHooks cancel([](int polls) { return polls > 7; });
    const Peaks p = BuildPeaks(Im2("a.IM2", {.blocks = 100}), ImageFormat::Im2, 100, cancel);
    EXPECT_EQ(std::tuple(p.cancelled, p.columnsDone, p.blocks), std::tuple(true, 7, 100u));
    test::RecordingHooks hooks;
    const Peaks gone = BuildPeaks(Path("gone.IX2"), ImageFormat::Ix2, 10, hooks);
    EXPECT_EQ(std::tuple(gone.blocks, gone.columnsDone), std::tuple(0u, 0));
    EXPECT_EQ(hooks.Notices(),
              std::vector<std::string>{"Failed to open: " + Path("gone.IX2") + "\n\nCause: No such file or directory"});
}

// Every format has its home, a path's rules pick it, and the home describes the image by its
// format's own rules: the strip's header slots, what it counts and whose identity it shows.
using FormatHomeTest = test::ImageDir;
TEST_F(FormatHomeTest, APathOpensInTheHomeOfItsRules) {
    std::filesystem::create_directories(Path("x.IX2"));
    Im2("a.IM2", {});
    Im2("x.IX2/F1.im2", {});
    synth::Ix2Options ix2{.audio = {.blocks = 120}, .splitFirst = 40};
    Ix2("p.IX2", ix2);
    ix2.chain = true;
    Ix2("c.IX2", ix2);
    Img("r.IMG", {});

    using enum ImageFormat;
    // The name; the format, the blocks, the strip's header slots, the identity, the split's
    // first block (0: no split) and whether complete (IX2: the recording's blocks, not the split's).
    using Row = std::tuple<const char*, ImageFormat, std::uint64_t, std::uint32_t, IdentityTexts, std::uint64_t, bool>;
    const Row kCases[] = {
        {"a.IM2", Im2, 20, 1, {"QM-04242", "12"}, 0, true},
        {"x.IX2/F1.im2", Im2, 20, 1, {"QM-04242", "12"}, 0, true},
        {"p.IX2", Ix2, 120, 3, {"QM-04242", "12"}, 40, false},
        {"c.IX2", Ix2, 120, 3, {"QM-04242 (Slave QM-00777)", "12 (Slave 3)"}, 40, false},
        {"r.IMG", Img, 20, 0, {"QL-1A2B", "7"}, 0, true},
    };
    for (const auto& [name, format, blocks, stripExtra, identity, splitFirst, complete] : kCases) {
        SCOPED_TRACE(name);
        const Result<OpenedImage> opened = HomeFor(Path(name)).Open(Path(name));
        ASSERT_TRUE(opened);
        const OpenedImage& o = *opened;
        EXPECT_EQ(std::tuple(o.format, o.totalBlocks, o.stripExtra, o.headerBad, o.complete, o.identity),
                  std::tuple(format, blocks, stripExtra, false, complete, identity));
        EXPECT_EQ(std::tuple(o.start.has_value(), o.split.has_value(), o.split ? o.split->first : 0),
                  std::tuple(format != Img, format == Ix2, splitFirst));
    }
}

}  // namespace
}  // namespace tvx

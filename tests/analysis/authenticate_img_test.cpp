#include "formats/img/authenticate_img.h"

#include "analysis/peaks.h"
#include "formats/home_of.h"
#include "synth/img_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tvx {
namespace {

namespace fs = std::filesystem;
using synth::ImgFault;
using synth::ImgFaultKind;

class AuthenticateImgTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = (fs::temp_directory_path() / (std::string("tvx-auth-img-") + info->name() + ".IMG")).string();
    }
    void TearDown() override { fs::remove(m_path); }

    Result<AuthReport> Scan(const synth::ImgOptions& o, const std::vector<ImgFault>& faults = {},
                            std::size_t piece = kScanPieceRecords) {
        EXPECT_TRUE(synth::WriteImgFile(m_path, o, faults));
        Hooks hooks;
        AuthTally tally;
        return AuthenticateImg(m_path, hooks, tally, piece);
    }

    std::string m_path;
};

TEST_F(AuthenticateImgTest, EveryWrittenRecordCountsFromIndexZero) {
    for (const int bits : {8, 5}) {
        const Result<AuthReport> r = Scan({.bits = bits, .records = 40, .erased = 7});
        ASSERT_TRUE(r);
        SCOPED_TRACE(bits);
        EXPECT_EQ(r->format, "IMG");
        EXPECT_EQ(r->unitId, "QL-1A2B");
        EXPECT_FALSE(r->structureJudged);
        EXPECT_EQ(r->statedBlocks, 40u);
        EXPECT_EQ(r->counts.verifiedBlocks, 40);
        EXPECT_TRUE(r->irregular.Empty());
        EXPECT_EQ(r->voiceChecksumErrors, 0u);
        const std::int64_t ms = bits == 8 ? 40 * 64 : 4080;   // 512 or 816 samples at 8 kHz
        EXPECT_EQ(r->durations.durationMs, ms);
        EXPECT_EQ(r->durations.verifiedMs, ms);
    }
}

TEST_F(AuthenticateImgTest, ChecksFlagTheirRecordsWhateverThePieceSize) {
    const std::vector<ImgFault> faults = {{ImgFaultKind::RecordIndex, 7}, {ImgFaultKind::UnitId, 20},
                                          {ImgFaultKind::FileNumber, 21}, {ImgFaultKind::BlockChecksum, 33},
                                          {ImgFaultKind::VoiceChecksum, 35}};
    for (const std::size_t piece : {std::size_t{1}, std::size_t{16}, std::size_t{2048}}) {
        const Result<AuthReport> r = Scan({.records = 40}, faults, piece);
        ASSERT_TRUE(r);
        std::vector<std::int32_t> indices;
        for (const IrregularRun& run : r->irregular.Runs())
            indices.push_back(run.first);
        // The voice-image checksum is followed as the conversion follows it, listed but apart
        // from the window's counts.
        EXPECT_EQ(indices, (std::vector<std::int32_t>{6, 19, 20, 32, 34})) << piece;
        EXPECT_EQ(r->irregular.Runs().back().status, kIrregular | kVoiceImageError);
        // A wrong block checksum keeps that block out of the running sum: the chain breaks
        // there too, and runs on from the record's own byte.
        EXPECT_EQ(r->irregular.Runs()[3].status, kIrregular | kChecksumError | kVoiceImageError);
        EXPECT_EQ(r->voiceChecksumErrors, 2u);
        EXPECT_EQ(r->counts.sequenceErrors, 1);
        EXPECT_EQ(r->counts.unitIdErrors, 1);
        EXPECT_EQ(r->counts.fileNumberErrors, 1);
        EXPECT_EQ(r->counts.checksumErrors, 1);
        EXPECT_EQ(r->counts.verifiedBlocks, 36);
    }
}

TEST_F(AuthenticateImgTest, ErasedCutAndTinyImages) {
    const Result<AuthReport> erased = Scan({.records = 0, .erased = 5});
    ASSERT_TRUE(erased);
    EXPECT_EQ(erased->statedBlocks, 0u);
    EXPECT_EQ(erased->counts.verifiedBlocks, 0);
    EXPECT_EQ(erased->durations.durationMs, 0);

    const Result<AuthReport> cut = Scan({.records = 10}, {{ImgFaultKind::CutLast, 200}});
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->counts.verifiedBlocks, 9);   // the cut record is never judged

    const Result<AuthReport> tiny = Scan({.records = 1}, {{ImgFaultKind::CutLast, 100}});
    ASSERT_FALSE(tiny);
    EXPECT_EQ(tiny.GetError().cause, Cause::BadFormat);
}

TEST_F(AuthenticateImgTest, PeaksDecodeOneRecordPerColumn) {
    ASSERT_TRUE(synth::WriteImgFile(m_path, {.bits = 5, .records = 30, .erased = 3}));
    Hooks hooks;
    const Peaks p = BuildPeaks(m_path, ImageFormat::Img, 10, hooks);
    EXPECT_EQ(p.blocks, 30u);
    EXPECT_EQ(p.channels, 1);
    EXPECT_EQ(p.columnsDone, 10);
    for (std::uint16_t i = 0; i < 10; ++i) {
        // Column i shows record 3i + 1 of the data, that is record 3i + 2 of the file.
        const std::vector<std::uint8_t> s = synth::ImgSamples({.bits = 5}, 3u * i + 2);
        EXPECT_EQ(p.peak1[i], PeaksOfBlock(s.data(), s.size(), 8, 1).peak1) << i;
    }
}

}  // namespace
}  // namespace tvx

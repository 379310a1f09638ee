// The IMG reader's worker, driven as the window drives it, playing into the test backend.
#include "formats/img/img.h"

#include "playback_support.h"
#include "synth/img_synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace tvx {
namespace {

using test::Blocks;
using test::Eventually;
using test::VerdictLog;

class ImgPlaybackTest : public ::testing::Test {
protected:
    void SetUp() override { VerdictLog::Take(); }

    std::unique_ptr<CImg> MakeReader() {
        auto reader = std::make_unique<CImg>(PlaybackSetup{m_audio.Factory(), &m_hooks});
        reader->SetRecordCallback(&VerdictLog::OnRecord);
        return reader;
    }
    std::string Image(std::vector<synth::ImgFault> faults = {}) {
        const std::string path = m_dir / "VOICE.IMG";
        EXPECT_TRUE(synth::WriteImgFile(path, m_options, faults));
        return path;
    }
    bool PlayToEnd(const CImg& reader) {
        return test::PlayToEnd(m_audio, [&] { return reader.IsPlaying(); });
    }
    std::vector<std::uint8_t> Samples(std::uint32_t first, std::uint32_t last) const {
        std::vector<std::uint8_t> out;
        for (std::uint32_t n = first; n <= last; ++n) {
            const auto s = synth::ImgSamples(m_options, n);
            out.insert(out.end(), s.begin(), s.end());
        }
        return out;
    }

    synth::ImgOptions m_options;
    test::TempFolder m_dir;
    test::RecordingHooks m_hooks;
    TestAudio m_audio;
};

TEST_F(ImgPlaybackTest, BothCodingsPlayEveryWrittenRecordAndStopAtRecordOne) {
    m_options.records = 20;
    m_options.erased = 5;
    for (const int bits : {8, 5}) {
        SCOPED_TRACE(std::to_string(bits) + "-bit");
        m_options.bits = bits;
        auto reader = MakeReader();
        ASSERT_TRUE(reader->Open(Image()));
        EXPECT_EQ(m_audio.GetCounts().format.bitsPerSample, 8);
        EXPECT_EQ(reader->GetLengthMs(), bits == 8 ? 1280 : 2040);
        EXPECT_EQ(reader->GetPlayTime(), 0);
        reader->Play();
        ASSERT_TRUE(PlayToEnd(*reader));
        const auto verdicts = VerdictLog::Take();
        EXPECT_EQ(VerdictLog::Indices(verdicts), Blocks(0, 19));   // the erased tail is silent
        for (const auto& v : verdicts)
            EXPECT_EQ(v.status, 0u) << "record " << v.index;
        EXPECT_EQ(m_audio.Played(), test::WholeBuffers(Samples(1, 20)));
        EXPECT_EQ(reader->GetCounterTime(), bits == 8 ? 64 : 102);   // record 1 again
        m_audio.ClearPlayed();
    }
}

TEST_F(ImgPlaybackTest, TheBoostReachesTheNextRecords) {
    m_options.records = 8;
    auto reader = MakeReader();
    ASSERT_TRUE(reader->Open(Image()));
    reader->SetGain(2.0);
    reader->Play();
    ASSERT_TRUE(PlayToEnd(*reader));
    auto expected = Samples(1, 8);
    for (auto& s : expected)
        s = static_cast<std::uint8_t>(std::clamp(2 * (s - 128) + 128, 0, 255));
    EXPECT_EQ(m_audio.Played(), expected);
}

TEST_F(ImgPlaybackTest, SeeksTakeTheNearestRecordAndOnePastTheEndIsDropped) {
    m_options.records = 20;
    auto reader = MakeReader();
    ASSERT_TRUE(reader->Open(Image()));
    reader->SeekToTime(200);   // 1600 samples: the nearest record start is record 4
    ASSERT_TRUE(Eventually([&] { return reader->GetCounterTime() == 256; }));
    reader->SeekToTime(5000);
    reader->SeekToTime(6000);   // waits for the one before to be taken
    EXPECT_EQ(reader->GetCounterTime(), 256);
    reader->Play();
    ASSERT_TRUE(PlayToEnd(*reader));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(3, 19));
    EXPECT_EQ(m_audio.Played(), Samples(4, 20));
}

TEST_F(ImgPlaybackTest, StopThenPlayStartsAgainFromRecordOne) {
    m_options.records = 400;
    auto reader = MakeReader();
    ASSERT_TRUE(reader->Open(Image()));
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return m_audio.GetCounts().queued == 300; }));
    reader->Stop();
    ASSERT_TRUE(Eventually([&] {
        return m_audio.GetCounts().queued == 0 && reader->GetCounterTime() == 64;
    }));
    VerdictLog::Take();
    m_audio.ClearPlayed();
    reader->Play();
    ASSERT_TRUE(PlayToEnd(*reader));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 399));
    EXPECT_EQ(m_audio.Played(), Samples(1, 400));
}

TEST_F(ImgPlaybackTest, AStoppedScanEndsWithThePieceItWasJudging) {
    m_options.records = 400;
    auto reader = MakeReader();
    ASSERT_TRUE(reader->Open(Image()));
    reader->SetRecordCallback(&test::ActOnVerdict::OnRecord);
    test::ActOnVerdict::Arm(100, [&] { reader->StopScan(); });
    reader->StartScan();
    // Pieces of 16 records: the one holding index 100 is judged to its end; the counter
    // then names record 113 (1-based), where the file stands.
    ASSERT_TRUE(Eventually([&] { return reader->GetCounterTime() == reader->TimeOfRecord(113); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 111));
    reader->Play();
    ASSERT_TRUE(PlayToEnd(*reader));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(112, 399));
    EXPECT_EQ(m_audio.Played(), test::WholeBuffers(Samples(113, 400)));
}

TEST_F(ImgPlaybackTest, AScanChecksEveryRecordOnceWithoutTheErasedTail) {
    m_options.records = 40;
    m_options.erased = 3;
    auto reader = MakeReader();
    ASSERT_TRUE(reader->Open(Image({{synth::ImgFaultKind::RecordIndex, 6},
                                    {synth::ImgFaultKind::BlockChecksum, 33}})));
    reader->StartScan();
    ASSERT_TRUE(Eventually([&] { return !reader->IsScanning(); }));
    std::vector<test::Verdict> expected;
    for (std::int32_t i = 0; i < 40; ++i)
        expected.push_back({i, i == 5 ? 0x80000004u : i == 32 ? 0x80000008u : 0u});
    EXPECT_EQ(VerdictLog::Take(), expected);
}

TEST_F(ImgPlaybackTest, CloseDoesNotWaitAndDropsTheDevice) {
    m_options.records = 400;
    auto reader = MakeReader();
    const std::string path = Image();
    ASSERT_TRUE(reader->Open(path));
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return m_audio.GetCounts().queued == 300; }));
    reader->Close();
    EXPECT_TRUE(Eventually([&] { return m_audio.GetCounts().alive == 0; }));
    EXPECT_TRUE(Eventually([&] { return !reader->IsPlaying(); }));
    VerdictLog::Take();
    ASSERT_TRUE(reader->Open(path));
    EXPECT_EQ(m_audio.GetCounts().made, 2);
}

TEST_F(ImgPlaybackTest, AnImageThatWillNotOpenIsNoticed) {
    auto reader = MakeReader();
    const std::string missing = m_dir / "NONE.IMG";
    EXPECT_FALSE(reader->Open(missing));
    const auto notices = m_hooks.Notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "Failed to open: " + missing);
    m_options.records = 3;
    EXPECT_TRUE(reader->Open(Image()));
}

}  // namespace
}  // namespace tvx

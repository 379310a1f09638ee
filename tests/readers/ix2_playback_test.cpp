// The IX2 reader's worker: plain and chain files, and an IM2 file read through it.
#include "formats/ix2/ix2.h"

#include "playback_support.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <memory>

namespace tvx {
namespace {

using test::Blocks;
using test::Eventually;
using test::VerdictLog;

class Ix2PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        VerdictLog::Take();
        m_options.audio.blocks = 40;
        m_options.splitFirst = 100;
    }

    std::unique_ptr<CIx2> MakeReader() {
        auto reader = std::make_unique<CIx2>(PlaybackSetup{m_audio.Factory(), nullptr});
        reader->SetBlockCallback(&VerdictLog::OnBlock);
        return reader;
    }
    std::string Image(bool chain, std::vector<synth::Fault> faults = {}) {
        m_options.chain = chain;
        const std::string path = m_dir / "F00012.IX2";
        EXPECT_TRUE(synth::WriteIx2File(path, m_options, faults));
        return path;
    }
    bool PlayToEnd(const CIx2& reader) {
        return test::PlayToEnd(m_audio, [&] { return reader.IsPlaying(); });
    }
    // The split's audio from its block k on.
    std::vector<std::uint8_t> Pcm(std::uint32_t k, std::uint32_t blocks) const {
        return test::Pcm16Of(m_options.audio, m_options.splitFirst + k, blocks);
    }

    synth::Ix2Options m_options;
    test::TempFolder m_dir;
    TestAudio m_audio;
};

TEST_F(Ix2PlaybackTest, PlainAndChainPlayTheSplitsBlocksInOrder) {
    for (const bool chain : {false, true}) {
        SCOPED_TRACE(chain ? "chain" : "plain");
        auto reader = MakeReader();
        ASSERT_TRUE(reader->OpenFile(Image(chain)));
        EXPECT_FALSE(reader->m_bHeaderBad);
        EXPECT_EQ(reader->m_nSplitFirst, 100u);
        EXPECT_EQ(reader->SplitPlayedMsByCounter(), 32);
        reader->Play();
        ASSERT_TRUE(PlayToEnd(*reader));
        const auto verdicts = VerdictLog::Take();
        EXPECT_EQ(VerdictLog::Indices(verdicts), Blocks(0, 39));
        for (const auto& v : verdicts)
            EXPECT_EQ(v.status, 0u) << "block " << v.index;
        EXPECT_EQ(m_audio.Played(), Pcm(0, 40));
        EXPECT_EQ(reader->SplitPlayedMsByCounter(), 32);
        m_audio.ClearPlayed();
    }
}

TEST_F(Ix2PlaybackTest, AChainSeeksIntoTheMiddleOfAnOuterBlock) {
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(true)));
    // Inner block 31 starts 496 bytes into outer block 31 and ends in outer block 32.
    reader->SeekMs(31 * 32);
    ASSERT_TRUE(Eventually([&] { return reader->SplitPlayedMsByCounter() == 32 * 32; }));
    reader->Play();
    ASSERT_TRUE(PlayToEnd(*reader));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(31, 39));
    EXPECT_EQ(m_audio.Played(), Pcm(31, 9));

    m_audio.ClearPlayed();
    reader->SeekMs(40 * 32);   // one past the split's last block
    reader->SeekMs(0);         // taken once the one before is
    ASSERT_TRUE(Eventually([&] { return reader->SplitPlayedMsByCounter() == 32; }));
    reader->Play();
    ASSERT_TRUE(PlayToEnd(*reader));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 39));
}

TEST_F(Ix2PlaybackTest, AChainStoppedMidwayStartsAgainFromItsFirstBlock) {
    m_options.audio.blocks = 400;
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(true)));
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return m_audio.GetCounts().queued == 300; }));
    reader->Stop();
    ASSERT_TRUE(Eventually([&] {
        return m_audio.GetCounts().queued == 0 && reader->SplitPlayedMsByCounter() == 32;
    }));
    VerdictLog::Take();
    m_audio.ClearPlayed();
    reader->Play();
    ASSERT_TRUE(PlayToEnd(*reader));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 399));
    EXPECT_EQ(m_audio.Played(), Pcm(0, 400));
}

TEST_F(Ix2PlaybackTest, PlayAfterAStoppedScanGoesOnFromTheLastBlockJudged) {
    m_options.audio.blocks = 400;
    for (const bool chain : {false, true}) {
        SCOPED_TRACE(chain ? "chain" : "plain");
        auto reader = MakeReader();
        ASSERT_TRUE(reader->OpenFile(Image(chain)));
        reader->SetBlockCallback(&test::ActOnVerdict::OnBlock);
        test::ActOnVerdict::Arm(100, [&] { reader->StopScan(); });
        reader->StartScan();
        // The piece of 16 data blocks holding block 100 is judged to its end and no piece
        // after it is read: blocks 96..111, or for a chain outer blocks 96..111, which
        // complete inner block 107.
        const std::int32_t last = chain ? 107 : 111;
        ASSERT_TRUE(Eventually([&] { return reader->SplitPlayedMsByCounter() == (last + 2) * 32; }));
        EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(-3, last));
        reader->Play();
        ASSERT_TRUE(PlayToEnd(*reader));
        const auto verdicts = VerdictLog::Take();
        EXPECT_EQ(VerdictLog::Indices(verdicts), Blocks(last + 1, 399));
        for (const auto& v : verdicts)
            EXPECT_EQ(v.status, 0u) << "block " << v.index;
        EXPECT_EQ(m_audio.Played(), Pcm(last + 1, 399 - last));
        m_audio.ClearPlayed();
    }
}

TEST_F(Ix2PlaybackTest, AChainPlaysEachBlockFromItsNumberWhereverTheFileWasLeft) {
    m_options.audio.blocks = 400;
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(true)));
    reader->SetBlockCallback(&test::ActOnVerdict::OnBlock);
    test::ActOnVerdict::Arm(50, [&] { reader->Pause(true); });
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return m_audio.GetCounts().pauses == 1; }));
    reader->Rewind();   // the index blocks again, the file back at the first outer block
    reader->Pause(false);
    ASSERT_TRUE(PlayToEnd(*reader));
    const auto verdicts = VerdictLog::Take();
    std::vector<std::int32_t> expected = Blocks(0, 50);
    for (const std::int32_t i : Blocks(-3, 399))
        if (i < 0 || i > 50)
            expected.push_back(i);
    EXPECT_EQ(VerdictLog::Indices(verdicts), expected);
    for (const auto& v : verdicts)
        EXPECT_EQ(v.status, v.index < 0 ? 0x04000000u : 0u) << "block " << v.index;
    EXPECT_EQ(m_audio.Played(), Pcm(0, 400));
}

TEST_F(Ix2PlaybackTest, StopReadsTheStartAgainAndForgetsAForeignUnit) {
    m_options.audio.blocks = 400;
    for (const bool chain : {false, true}) {
        SCOPED_TRACE(chain ? "chain" : "plain");
        auto reader = MakeReader();
        ASSERT_TRUE(reader->OpenFile(Image(chain, {{synth::FaultKind::UnitNumber, 299}})));
        const std::string own = reader->GetUnitId();
        reader->Play();
        // Blocks 0..299 fill the device, the last of them of another unit.
        ASSERT_TRUE(Eventually([&] {
            return m_audio.GetCounts().queued == 300 && VerdictLog::Size() == 300;
        }));
        EXPECT_NE(reader->GetUnitId(), own);
        reader->Stop();
        EXPECT_TRUE(Eventually([&] { return reader->GetUnitId() == own; }));
        EXPECT_EQ(reader->SplitPlayedMsByCounter(), 32);
        VerdictLog::Take();
        m_audio.ClearPlayed();
    }
}

TEST_F(Ix2PlaybackTest, ASeekPastTheEndCostsNoAudioOfTheBlockWaitingForTheDevice) {
    m_options.audio.blocks = 400;
    m_options.audio.storedBits = 8;   // 1,022 bytes a block: the device fills up inside one
    for (const bool chain : {false, true}) {
        SCOPED_TRACE(chain ? "chain" : "plain");
        const std::string path = Image(chain);
        {
            auto reader = MakeReader();
            ASSERT_TRUE(reader->OpenFile(path));
            reader->Play();
            ASSERT_TRUE(PlayToEnd(*reader));
        }
        const std::vector<std::uint8_t> whole = m_audio.Played();
        m_audio.ClearPlayed();
        VerdictLog::Take();

        auto reader = MakeReader();
        ASSERT_TRUE(reader->OpenFile(path));
        reader->Play();
        ASSERT_TRUE(Eventually([&] { return m_audio.GetCounts().queued == 300; }));
        reader->SeekMs(3'600'000);   // an hour: no block lies there
        ASSERT_TRUE(PlayToEnd(*reader));
        EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 399));
        EXPECT_EQ(m_audio.Played(), whole);
        m_audio.ClearPlayed();
    }
}

TEST_F(Ix2PlaybackTest, AScanReportsTheIndexBlocksThenEveryBlockOnce) {
    for (const bool chain : {false, true}) {
        SCOPED_TRACE(chain ? "chain" : "plain");
        auto reader = MakeReader();
        ASSERT_TRUE(reader->OpenFile(Image(chain, {{synth::FaultKind::PayloadByte, 7}})));
        reader->StartScan();
        ASSERT_TRUE(Eventually([&] { return !reader->IsScanning(); }));
        std::vector<test::Verdict> expected{
            {-3, 0x04000000u}, {-2, 0x04000000u}, {-1, 0x04000000u}};
        for (std::int32_t i = 0; i < 40; ++i)
            expected.push_back({i, i == 7 ? 0x80000008u : 0u});
        EXPECT_EQ(VerdictLog::Take(), expected);

        reader->Rewind();
        EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(-3, -1));
    }
}

TEST_F(Ix2PlaybackTest, ANameEndingInIm2IsReadAsAnIm2Image) {
    synth::Im2Options im2;
    im2.blocks = 12;
    const std::string path = m_dir / "F00012.Im2";
    ASSERT_TRUE(synth::WriteIm2File(path, im2));
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(path));
    reader->StartScan();
    ASSERT_TRUE(Eventually([&] { return !reader->IsScanning(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(-1, 11));
    reader->Play();
    ASSERT_TRUE(PlayToEnd(*reader));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 11));
    EXPECT_EQ(m_audio.Played(), test::Pcm16Of(im2, 0, 12));
}

}  // namespace
}  // namespace tvx

// The IM2 reader's worker, driven as the window drives it, playing into the test backend.
#include "formats/im2/im2.h"

#include "formats/ix2/ix2.h"
#include "playback_support.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace tvx {
namespace {

using test::Eventually;
using test::Blocks;
using test::VerdictLog;
using namespace std::chrono_literals;

class Im2PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override { VerdictLog::Take(); }

    std::unique_ptr<CIm2> MakeReader() {
        auto reader = std::make_unique<CIm2>(PlaybackSetup{m_audio.Factory(), &m_hooks});
        reader->SetBlockCallback(&VerdictLog::OnBlock);
        return reader;
    }
    // 16-bit mono at 8 kHz: 256 samples, 32 ms, 512 bytes a block.
    std::string Image(std::uint32_t blocks, std::vector<synth::Fault> faults = {}) {
        m_options.blocks = blocks;
        const std::string path = m_dir / "F00012.IM2";
        EXPECT_TRUE(synth::WriteIm2File(path, m_options, faults));
        return path;
    }
    bool QueueFull() const { return m_audio.GetCounts().queued == 300; }

    synth::Im2Options m_options;
    test::TempFolder m_dir;
    test::RecordingHooks m_hooks;
    TestAudio m_audio;
};

TEST_F(Im2PlaybackTest, PlaysEveryBlockOnceAndStopsBackAtTheFirst) {
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(20)));
    EXPECT_FALSE(reader->m_bHeaderBad);
    EXPECT_TRUE(reader->IsComplete());
    EXPECT_EQ(reader->StatedMs(), 640);
    EXPECT_EQ(reader->GetUnitId(), "QM-04242");
    EXPECT_EQ(reader->PlayedMs(), 32);
    EXPECT_EQ(m_audio.GetCounts().format.sampleRate, 8000u);
    EXPECT_EQ(m_audio.GetCounts().format.bitsPerSample, 16);

    reader->Play();
    EXPECT_TRUE(reader->IsPlaying());
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    const auto verdicts = VerdictLog::Take();
    EXPECT_EQ(VerdictLog::Indices(verdicts), Blocks(0, 19));
    for (const auto& v : verdicts)
        EXPECT_EQ(v.status, 0u) << "block " << v.index;
    EXPECT_EQ(m_audio.Played(), test::Pcm16Of(m_options, 0, 20));
    EXPECT_EQ(reader->PlayedMsByCounter(), 32);   // block 0 again, nothing queued
    EXPECT_EQ(reader->PlayedMs(), 32);
}

TEST_F(Im2PlaybackTest, ACutLastRecordAndAnEmptyImageEndPlayingOnTheirOwn) {
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(10, {{synth::FaultKind::TruncateLast, 0}})));
    reader->Play();
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 8));   // the cut one never plays

    ASSERT_TRUE(reader->OpenFile(Image(0)));   // the header alone
    EXPECT_EQ(reader->FileMs(), 0);
    reader->Play();
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_TRUE(VerdictLog::Take().empty());
}

TEST_F(Im2PlaybackTest, StopThenPlayStartsAgainFromBlockZero) {
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(400)));
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return QueueFull(); }));   // the worker waits on the device
    reader->Stop();
    EXPECT_FALSE(reader->IsPlaying());
    ASSERT_TRUE(Eventually([&] {
        return m_audio.GetCounts().queued == 0 && reader->PlayedMsByCounter() == 32;
    }));
    VerdictLog::Take();
    m_audio.ClearPlayed();

    reader->Play();
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 399));
    EXPECT_EQ(m_audio.Played(), test::Pcm16Of(m_options, 0, 400));
}

TEST_F(Im2PlaybackTest, SeeksLandOnTheirBlockAndOnePastTheEndIsDropped) {
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(20)));
    reader->SeekMs(100);   // 800 samples: nearest block start is block 3
    ASSERT_TRUE(Eventually([&] { return reader->PlayedMsByCounter() == 128; }));
    reader->SeekMs(640);   // block 20 would start at the file's end
    reader->SeekMs(5000);  // waits for the one before to be taken
    EXPECT_EQ(reader->PlayedMsByCounter(), 128);
    reader->Play();
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(3, 19));
    EXPECT_EQ(m_audio.Played(), test::Pcm16Of(m_options, 3, 17));

    m_audio.ClearPlayed();
    reader->SeekMs(608);   // the last block
    ASSERT_TRUE(Eventually([&] { return reader->PlayedMsByCounter() == 640; }));
    reader->Play();
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(19, 19));
    EXPECT_EQ(m_audio.Played(), test::Pcm16Of(m_options, 19, 1));
}

TEST_F(Im2PlaybackTest, PauseStopsReadingUntilResumed) {
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(400)));
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return QueueFull(); }));
    reader->Pause(true);
    // The worker is held by the full device; it pauses once a buffer lets it go.
    ASSERT_TRUE(test::AdvanceUntil(m_audio, [&] { return m_audio.GetCounts().pauses == 1; }));
    const std::size_t judged = VerdictLog::Size();
    const std::size_t heard = m_audio.Played().size();
    for (int i = 0; i < 10; ++i) {
        m_audio.Advance(1000ms);
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(VerdictLog::Size(), judged);
    EXPECT_EQ(m_audio.Played().size(), heard);
    EXPECT_TRUE(reader->IsPlaying());   // paused counts as playing

    reader->Pause(false);
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 399));
    EXPECT_EQ(m_audio.Played(), test::Pcm16Of(m_options, 0, 400));
}

TEST_F(Im2PlaybackTest, AScanReportsTheHeaderThenEveryBlockOnce) {
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(40, {{synth::FaultKind::PayloadByte, 5}})));
    for (int scan = 0; scan < 2; ++scan) {
        SCOPED_TRACE("scan " + std::to_string(scan));
        reader->StartScan();
        ASSERT_TRUE(Eventually([&] { return !reader->IsScanning(); }));
        std::vector<test::Verdict> expected{{-1, 0x04000000u}};
        for (std::int32_t i = 0; i < 40; ++i)
            expected.push_back({i, i == 5 ? 0x80000008u : 0u});
        EXPECT_EQ(VerdictLog::Take(), expected);
        EXPECT_EQ(reader->PlayedMsByCounter(), 32);   // back at the first block
    }
    reader->Play();   // and it plays from there
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 39));
}

TEST_F(Im2PlaybackTest, AStoppedScanEndsWithItsPieceAndPlayGoesOnPastTheNextOne) {
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(400)));
    reader->SetBlockCallback(&test::ActOnVerdict::OnBlock);
    test::ActOnVerdict::Arm(100, [&] { reader->StopScan(); });
    reader->StartScan();
    // Pieces of 16 records: the one holding block 100 is judged to its end, the next one is
    // read and dropped, and the counter stays at 112.
    ASSERT_TRUE(Eventually([&] { return reader->PlayedMsByCounter() == 113 * 32; }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(-1, 111));
    reader->Play();
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(112, 383));
    EXPECT_EQ(m_audio.Played(), test::Pcm16Of(m_options, 128, 272));
}

TEST_F(Im2PlaybackTest, ASeekPastTheEndCostsNoAudioOfTheBlockWaitingForTheDevice) {
    m_options.storedBits = 8;   // 1,022 bytes a block: the device fills up inside one
    const std::string path = Image(400);
    {
        auto reader = MakeReader();
        ASSERT_TRUE(reader->OpenFile(path));
        reader->Play();
        ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    }
    const std::vector<std::uint8_t> whole = m_audio.Played();
    m_audio.ClearPlayed();
    VerdictLog::Take();

    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(path));
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return QueueFull(); }));   // block 150 is judged, half queued
    reader->SeekMs(3'600'000);                               // an hour: dropped
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 399));
    EXPECT_EQ(m_audio.Played(), whole);
}

TEST_F(Im2PlaybackTest, RewindReportsTheHeaderAgain) {
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(20, {{synth::FaultKind::BadHeader, 0}})));
    EXPECT_TRUE(reader->m_bHeaderBad);
    reader->Rewind();   // returns once the worker has reported
    EXPECT_EQ(VerdictLog::Take(), (std::vector<test::Verdict>{{-1, 0x84000008u}}));
}

TEST_F(Im2PlaybackTest, CloseWhilePlayingDropsTheDeviceAndAnOpenMakesANewOne) {
    auto reader = MakeReader();
    const std::string path = Image(400);
    ASSERT_TRUE(reader->OpenFile(path));
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return QueueFull(); }));
    EXPECT_TRUE(reader->CloseFile());
    EXPECT_EQ(m_audio.GetCounts().made, 1);
    EXPECT_EQ(m_audio.GetCounts().alive, 0);
    EXPECT_TRUE(Eventually([&] { return !reader->IsPlaying(); }));
    VerdictLog::Take();

    ASSERT_TRUE(reader->OpenFile(path));
    EXPECT_EQ(m_audio.GetCounts().made, 2);
    EXPECT_EQ(m_audio.GetCounts().alive, 1);
    reader->Play();
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 399));
}

TEST_F(Im2PlaybackTest, AFileThatFailsLeavesNoFileAndTheWorkerServesTheNext) {
    auto reader = MakeReader();
    EXPECT_FALSE(reader->OpenFile(m_dir / "missing.IM2"));
    EXPECT_FALSE(reader->OpenFile(m_dir / ""));            // a folder
    EXPECT_FALSE(reader->OpenFile("/proc/self/mem"));     // opens, then its first read fails
    reader->Play();
    EXPECT_TRUE(Eventually([&] { return !reader->IsPlaying(); }));   // nothing to play
    ASSERT_TRUE(reader->OpenFile(Image(4)));
    reader->Play();
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 3));
}

TEST_F(Im2PlaybackTest, AnImageCutShortWhilePlayingEndsItsPlayback) {
    auto reader = MakeReader();
    const std::string path = Image(400);
    ASSERT_TRUE(reader->OpenFile(path));
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return QueueFull(); }));
    std::filesystem::resize_file(path, 528 * 11);   // the header and 10 blocks are left
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_EQ(reader->PlayedMsByCounter(), 32);
    VerdictLog::Take();
    reader->Play();
    ASSERT_TRUE(test::PlayToEnd(m_audio, [&] { return reader->IsPlaying(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 9));
}

TEST_F(Im2PlaybackTest, ADeviceThatWillNotOpenIsNoticedAndPlaybackRunsThrough) {
    m_audio.FailOpens(6);
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(20)));
    const auto notices = m_hooks.Notices();
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back(), "Unable to open wave device.\r\nError: 6");
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return !reader->IsPlaying(); }));
    EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), Blocks(0, 19));
}

TEST_F(Im2PlaybackTest, ABuiltReaderGoesWhileItsDeviceHoldsTheWorker) {
    auto reader = MakeReader();
    ASSERT_TRUE(reader->OpenFile(Image(400)));
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return QueueFull(); }));
    reader.reset();   // the clock never moves: the worker must still end, device and all
    EXPECT_EQ(m_audio.GetCounts().alive, 0);
}

// A worker the destructor gave up on goes on later; it must not write into the reader's
// memory, which by then belongs to someone else.
template <typename Reader>
void ExpectAWorkerLeftBehindKeepsOffTheReader(const std::string& path) {
    test::StuckDevice device;
    PlaybackSetup setup{device.Factory(), nullptr};
    setup.quitWait = 50ms;
    struct alignas(Reader) Storage {
        unsigned char bytes[sizeof(Reader)];
    };
    auto storage = std::make_unique<Storage>();
    auto* reader = new (storage->bytes) Reader(setup);
    ASSERT_TRUE(reader->OpenFile(path));
    reader->Play();
    ASSERT_TRUE(device.WaitUntilHolding());
    reader->~Reader();
    std::memset(storage->bytes, 0xA5, sizeof storage->bytes);
    device.LetGo();
    ASSERT_TRUE(device.WaitUntilGone());   // the worker ended, and dropped its device
    EXPECT_TRUE(std::all_of(std::begin(storage->bytes), std::end(storage->bytes),
                            [](unsigned char b) { return b == 0xA5; }));
}

TEST(Im2WorkerLifetime, AWorkerLeftBehindNeverTouchesTheGoneReader) {
    test::TempFolder dir;
    synth::Im2Options im2;
    im2.blocks = 20;
    ASSERT_TRUE(synth::WriteIm2File(dir / "F00012.IM2", im2));
    ExpectAWorkerLeftBehindKeepsOffTheReader<CIm2>(dir / "F00012.IM2");
    synth::Ix2Options ix2;
    ix2.audio.blocks = 20;
    ix2.chain = true;
    ASSERT_TRUE(synth::WriteIx2File(dir / "F00012.IX2", ix2));
    ExpectAWorkerLeftBehindKeepsOffTheReader<CIx2>(dir / "F00012.IX2");
}

TEST(Im2WithoutWorker, AnswersNoRequest) {
    CIm2 passive;
    EXPECT_FALSE(passive.HasWorker());
    EXPECT_FALSE(passive.OpenFile("/dev/null"));
    passive.Play();
    EXPECT_FALSE(passive.IsPlaying());
    passive.SetGain(3.0);
    EXPECT_EQ(passive.m_dGain, 3.0);
}

}  // namespace
}  // namespace tvx

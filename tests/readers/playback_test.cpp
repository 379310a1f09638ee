// The readers' workers, driven as the shells drive them, playing into the test backend: each
// rule once, for every format it holds for.
#include "playback_support.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace tvx::test {
namespace {

constexpr std::uint32_t kHeaderStatus = 0x04000000u;
constexpr std::uint32_t kBadSum = 0x80000008u;

TEST_F(PlaybackTest, AScanReportsTheHeaderThenEveryBlockOnceAndRewindTheHeaderAgain) {
    ForEach(EveryFormat(40), [&](const TestImage& image, auto& reader, const std::string&) {
        std::vector<Verdict> expected;
        for (std::int32_t i = -image.HeaderVerdicts(); i < 40; ++i)
            expected.push_back({i, i < 0 ? kHeaderStatus : i == 5 || i == 32 ? kBadSum : 0u});
        for (int scan = 0; scan < 2; ++scan) {
            ASSERT_TRUE(ScanToEnd(*reader));
            EXPECT_EQ(VerdictLog::Take(), expected) << "scan " << scan;
            EXPECT_EQ(reader->CounterMs(), image.MsOfBlock(1));
        }
        ASSERT_TRUE(PlayToEnd(*reader));
        EXPECT_EQ(VerdictLog::TakeIndices(), Blocks(0, 39));
        if (image.IsImg())
            return;   // an IMG reader has no header records to report again
        reader->Rewind();   // returns once the worker has reported
        expected.resize(static_cast<std::size_t>(image.HeaderVerdicts()));
        EXPECT_EQ(VerdictLog::Take(), expected);
    }, {5, 32});
}

TEST_F(PlaybackTest, StopThenPlayStartsAgainFromTheFirstBlockAndPlaysEachOnceAsCoded) {
    ForEach(EveryFormat(400), [&](const TestImage& image, auto& reader, const std::string&) {
        EXPECT_EQ(reader->CounterMs(), image.MsOfBlock(1));
        ASSERT_TRUE(PlayUntilFull(*reader));
        reader->Stop();
        EXPECT_FALSE(reader->IsPlaying());
        ASSERT_TRUE(Eventually([&] { return m_audio.GetCounts().queued == 0 && reader->CounterMs() == image.MsOfBlock(1); }));
        ExpectPlays(*reader, image, 0);
    });
}

TEST_F(PlaybackTest, SeeksLandOnTheNearestBlockAndOnePastTheEndIsDropped) {
    ForEach(EveryFormat(40), [&](const TestImage& image, auto& reader, const std::string&) {
        // Block 31 of a chain starts 496 bytes into an outer block and ends in the next.
        reader->Seek(image.MsOfBlock(31) + 3);
        ASSERT_TRUE(Eventually([&] { return reader->CounterMs() == image.MsOfBlock(32); }));
        reader->Seek(image.MsOfBlock(image.PastTheEnd()));
        reader->Seek(image.MsOfBlock(5000));   // waits for the one before to be taken
        EXPECT_EQ(reader->CounterMs(), image.MsOfBlock(32));
        ExpectPlays(*reader, image, 31);
        reader->Seek(image.MsOfBlock(39));
        ASSERT_TRUE(Eventually([&] { return reader->CounterMs() == image.MsOfBlock(40); }));
        ExpectPlays(*reader, image, 39);
    });
}

TEST_F(PlaybackTest, PauseStopsReadingUntilResumed) {
    ForEach(EveryFormat(400), [&](const TestImage& image, auto& reader, const std::string&) {
        m_audio.ClearPlayed();
        const int pauses = m_audio.GetCounts().pauses;
        ASSERT_TRUE(PlayUntilFull(*reader));
        reader->Pause(true);
        // The worker is held by the full device; it pauses once a buffer lets it go.
        ASSERT_TRUE(AdvanceUntil(m_audio, [&] { return m_audio.GetCounts().pauses == pauses + 1; }));
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
        ASSERT_TRUE(RunToEnd(*reader));
        EXPECT_EQ(VerdictLog::TakeIndices(), Blocks(0, 399));
        EXPECT_EQ(m_audio.Played(), image.HeardFrom(0));
    });
}

TEST_F(PlaybackTest, AStoppedScanEndsWithThePieceItWasJudgingAndPlayGoesOnFromThere) {
    ForEach(EveryFormat(400), [&](const TestImage& image, auto& reader, const std::string&) {
        VerdictLog::ActAt(100, [r = reader.get()] { r->StopScan(); });
        reader->StartScan();
        // Pieces of 16 blocks: the one holding block 100 is judged to its end, 96..111; for a
        // chain, outer blocks 96..111, which complete inner block 107. The IM2 worker reads
        // the next piece and drops it, so its counter and its file part by 16 blocks.
        const std::int32_t last = image.kind == Kind::Ix2Chain ? 107 : 111;
        const std::int32_t dropped = image.kind == Kind::Im2 ? 16 : 0;
        ASSERT_TRUE(Eventually([&] { return reader->CounterMs() == image.MsOfBlock(last + 2); }));
        EXPECT_EQ(VerdictLog::TakeIndices(), Blocks(-image.HeaderVerdicts(), last));
        m_audio.ClearPlayed();
        ASSERT_TRUE(PlayToEnd(*reader));
        EXPECT_EQ(VerdictLog::TakeIndices(), Blocks(last + 1, 399 - dropped));
        EXPECT_EQ(m_audio.Played(), image.HeardFrom(last + 1 + dropped));
    });
}

TEST_F(PlaybackTest, ASeekPastTheEndCostsNoAudioOfTheBlockWaitingForTheDevice) {
    // Blocks longer than a buffer, so the device fills up inside one.
    const std::vector images = {ImageOf(Kind::Im2, 400, 8), ImageOf(Kind::Ix2Plain, 400, 8), ImageOf(Kind::Ix2Chain, 400, 8),
                                ImageOf(Kind::Img5, 400)};
    ForEach(images, [&](const TestImage& image, auto& reader, const std::string&) {
        m_audio.ClearPlayed();
        ASSERT_TRUE(PlayUntilFull(*reader));
        reader->Seek(image.MsOfBlock(image.PastTheEnd()));
        ASSERT_TRUE(RunToEnd(*reader));
        EXPECT_EQ(VerdictLog::TakeIndices(), Blocks(0, 399));
        EXPECT_EQ(m_audio.Played(), image.HeardFrom(0));
    });
}

TEST_F(PlaybackTest, CloseOrDestructionWhileTheDeviceIsFullDropsTheDevice) {
    ForEach(EveryFormat(400), [&](const TestImage&, auto& reader, const std::string& path) {
        const int made = m_audio.GetCounts().made;
        ASSERT_TRUE(PlayUntilFull(*reader));
        reader->Close();   // the IMG reader's does not wait
        EXPECT_TRUE(Eventually([&] { return m_audio.GetCounts().alive == 0 && !reader->IsPlaying(); }));
        ASSERT_TRUE(reader->Open(path));
        EXPECT_EQ(m_audio.GetCounts().made, made + 1);
        ASSERT_TRUE(PlayUntilFull(*reader));
        reader.reset();   // the clock never moves: the worker must still end, device and all
        EXPECT_EQ(m_audio.GetCounts().alive, 0);
    });
}

TEST_F(PlaybackTest, EveryCodeAndWidthIsHeardAsItDecodes) {
    std::vector<TestImage> images;
    for (const auto& [name, options] : synth::EveryVariant(5))
        images.push_back({Kind::Im2, options, {}});
    for (const Kind kind : {Kind::Ix2Plain, Kind::Ix2Chain})   // 8-bit output
        images.push_back({kind, {.storedBits = 8, .channels = 2, .modelCode = 37, .blocks = 24}, {}});
    images.push_back({Kind::Img5, {}, {.bits = 5, .sampleRate = 11025, .records = 12, .erased = 3}});
    ForEach(images, [&](const TestImage& image, auto& reader, const std::string&) { ExpectPlays(*reader, image, 0); });
}

TEST_F(PlaybackTest, FailuresAreNoticedAndTheWorkerServesOn) {
    for (const TestImage& image : EveryFormat(20)) {
        SCOPED_TRACE(image.Name());
        auto reader = Reader(image);
        EXPECT_FALSE(reader->Open(m_dir / "missing"));
        if (image.IsImg()) {
            EXPECT_EQ(m_hooks.Notices().back(), "Failed to open: " + m_dir / "missing");
        }
        EXPECT_FALSE(reader->Open(m_dir / ""));           // a folder
        EXPECT_FALSE(reader->Open("/proc/self/mem"));    // opens, then its first read fails
        reader->Play();
        EXPECT_TRUE(Eventually([&] { return !reader->IsPlaying(); }));   // nothing to play
        ASSERT_TRUE(reader->Open(image.Write(m_dir)));
        ExpectPlays(*reader, image, 0);

        m_audio.FailOpens(6);
        ASSERT_TRUE(reader->Open(image.Write(m_dir)));
        EXPECT_EQ(m_hooks.Notices().back(), "Unable to open wave device.\r\nError: 6");
        m_audio.FailOpens(0);
        reader->Play();   // without a device, and without waiting for one
        ASSERT_TRUE(Eventually([&] { return !reader->IsPlaying(); }));
        EXPECT_EQ(VerdictLog::TakeIndices(), Blocks(0, 19));
    }
}

TEST_F(PlaybackTest, AnImageCutShortWhilePlayingEndsItsPlayback) {
    ForEach(EveryFormat(400), [&](const TestImage& image, auto& reader, const std::string& path) {
        if (image.kind == Kind::Ix2Chain)
            return;   // an outer block cut into is no inner block
        ASSERT_TRUE(PlayUntilFull(*reader));
        const std::uint64_t header = image.IsImg() ? 0 : image.IsIx2() ? 1712 : 528;
        std::filesystem::resize_file(path, header + 528 * 10);   // 10 blocks are left
        ASSERT_TRUE(RunToEnd(*reader));
        EXPECT_EQ(reader->CounterMs(), image.MsOfBlock(1));
        VerdictLog::Take();
        ASSERT_TRUE(PlayToEnd(*reader));
        EXPECT_EQ(VerdictLog::TakeIndices(), Blocks(0, 9));
    });
}

TEST_F(PlaybackTest, AChainRewoundWhilePausedPlaysEachBlockFromItsNumber) {
    const TestImage image = ImageOf(Kind::Ix2Chain, 400);
    auto reader = Reader(image);
    ASSERT_TRUE(reader->Open(image.Write(m_dir)));
    VerdictLog::ActAt(50, [r = reader.get()] { r->Pause(true); });
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return m_audio.GetCounts().pauses == 1; }));
    reader->Rewind();   // the index blocks again, the file back at the first outer block
    reader->Pause(false);
    ASSERT_TRUE(RunToEnd(*reader));
    std::vector<Verdict> expected;   // 0..50, the index blocks again, then 51..399
    for (std::int32_t k = 0; k < 403; ++k)
        expected.push_back({k < 51 ? k : k < 54 ? k - 54 : k - 3, k < 51 || k >= 54 ? 0u : kHeaderStatus});
    EXPECT_EQ(VerdictLog::Take(), expected);
    EXPECT_EQ(m_audio.Played(), image.HeardFrom(0));
}

TEST_F(PlaybackTest, AnIm2BadHeaderIsKnownAtOpenAndReportedAgainByRewindAndWithoutAWorkerNoRequestIsAnswered) {
    ASSERT_TRUE(synth::WriteIm2File(m_dir / "F00012.IM2", {}, std::vector{synth::Fault{synth::FaultKind::BadHeader, 0}}));
    CIm2 reader(PlaybackSetup{m_audio.Factory(), nullptr});
    reader.SetBlockCallback(&VerdictLog::OnBlock);
    ASSERT_TRUE(reader.OpenFile(m_dir / "F00012.IM2"));
    EXPECT_TRUE(reader.m_bHeaderBad);
    VerdictLog::Take();
    reader.Rewind();
    EXPECT_EQ(VerdictLog::Take(), (std::vector<Verdict>{{-1, 0x84000008u}}));

    CIm2 passive;
    EXPECT_FALSE(passive.HasWorker());
    EXPECT_FALSE(passive.OpenFile("/dev/null"));
    EXPECT_FALSE(passive.Stop());
    EXPECT_FALSE(passive.SeekMs(0));
    passive.Play();
    EXPECT_FALSE(passive.IsPlaying());
    passive.SetGain(3.0);
    EXPECT_EQ(passive.m_dGain, 3.0);
}

// A sound device that holds the worker inside its first Queue call until let go: a worker
// the reader's destructor cannot wait for. Its state outlives the reader and the device.
struct StuckState {
    std::atomic<bool> holding = false, letGo = false;
    std::atomic<int> alive = 0;
};

class StuckDevice : public OutputBackend {
public:
    explicit StuckDevice(std::shared_ptr<StuckState> state) : m_state(std::move(state)) { ++m_state->alive; }
    ~StuckDevice() override { --m_state->alive; }
    std::uint32_t Open(const PcmFormat&, Completion onDone) override {
        m_onDone = std::move(onDone);
        return 0;
    }
    void Close() override { GiveBack(); }
    void Queue(std::span<const std::uint8_t>) override {
        ++m_queued;
        m_state->holding = true;
        Eventually([&] { return m_state->letGo.load(); });
    }
    void Reset() override { GiveBack(); }
    void Pause() override {}
    void Resume() override {}

private:
    void GiveBack() {
        for (; m_queued > 0; --m_queued)
            if (m_onDone)
                m_onDone();
    }
    std::shared_ptr<StuckState> m_state;
    Completion m_onDone;
    int m_queued = 0;
};

// A worker the destructor gave up on goes on later; it must not write into the reader's
// memory, which by then belongs to someone else.
template <typename Reader, typename Open>
void ExpectAWorkerLeftBehindKeepsOffTheReader(const std::string& path, Open open) {
    const auto state = std::make_shared<StuckState>();
    PlaybackSetup setup{[state]() -> std::unique_ptr<OutputBackend> { return std::make_unique<StuckDevice>(state); }, nullptr};
    setup.quitWait = 50ms;
    struct alignas(Reader) Storage {
        unsigned char bytes[sizeof(Reader)];
    };
    auto storage = std::make_unique<Storage>();
    auto* reader = new (storage->bytes) Reader(setup);
    ASSERT_TRUE(open(*reader, path));
    reader->Play();
    ASSERT_TRUE(Eventually([&] { return state->holding.load(); }));
    reader->~Reader();
    std::memset(storage->bytes, 0xA5, sizeof storage->bytes);
    state->letGo = true;
    // The worker ended, and dropped its device.
    ASSERT_TRUE(Eventually([&] { return state->alive == 0; }));
    EXPECT_TRUE(std::all_of(std::begin(storage->bytes), std::end(storage->bytes), [](unsigned char b) { return b == 0xA5; }));
}

TEST(WorkerLifetime, AWorkerLeftBehindNeverTouchesTheGoneReader) {
    TempDir dir;
    const auto openFile = [](auto& r, const std::string& path) { return r.OpenFile(path); };
    ExpectAWorkerLeftBehindKeepsOffTheReader<CIm2>(ImageOf(Kind::Im2, 20).Write(dir), openFile);
    ExpectAWorkerLeftBehindKeepsOffTheReader<CIx2>(ImageOf(Kind::Ix2Chain, 20).Write(dir), openFile);
    ExpectAWorkerLeftBehindKeepsOffTheReader<CImg>(ImageOf(Kind::Img8, 20).Write(dir),
                                                   [](CImg& r, const std::string& path) { return r.Open(path); });
}

TEST_F(PlaybackTest, AnIx2StopReadsTheStartAgainAndForgetsAForeignUnit) {
    for (const bool chain : {false, true}) {
        SCOPED_TRACE(chain ? "chain" : "plain");
        const synth::Ix2Options o{.audio = {.blocks = 400}, .chain = chain};
        ASSERT_TRUE(synth::WriteIx2File(m_dir / "F00012.IX2", o, std::vector{synth::Fault{synth::FaultKind::UnitNumber, 299}}));
        CIx2 reader(PlaybackSetup{m_audio.Factory(), nullptr});
        reader.SetBlockCallback(&VerdictLog::OnBlock);
        ASSERT_TRUE(reader.OpenFile(m_dir / "F00012.IX2"));
        const std::string own = reader.GetUnitId();
        VerdictLog::Take();
        reader.Play();
        // Blocks 0..299 fill the device, the last of them of another unit.
        ASSERT_TRUE(Eventually([&] { return m_audio.GetCounts().queued == 300 && VerdictLog::Size() == 300; }));
        EXPECT_NE(reader.GetUnitId(), own);
        reader.Stop();
        EXPECT_TRUE(Eventually([&] { return reader.GetUnitId() == own; }));
        EXPECT_EQ(reader.SplitPlayedMsByCounter(), 32);
    }
}

TEST_F(PlaybackTest, TheImgBoostReachesTheNextRecords) {
    const synth::ImgOptions o{.records = 8};
    ASSERT_TRUE(synth::WriteImgFile(m_dir / "VOICE.IMG", o));
    CImg reader(PlaybackSetup{m_audio.Factory(), nullptr});
    ASSERT_TRUE(reader.Open(m_dir / "VOICE.IMG"));
    reader.SetGain(2.0);
    reader.Play();
    ASSERT_TRUE(AdvanceUntil(m_audio, [&] { return !reader.IsPlaying(); }));
    std::vector<std::uint8_t> expected = ImgAudio(o, 1, 8);
    for (std::uint8_t& s : expected)
        s = static_cast<std::uint8_t>(std::clamp(2 * (s - 128) + 128, 0, 255));
    EXPECT_EQ(m_audio.Played(), expected);
}

}  // namespace
}  // namespace tvx::test

#include "playback_support.h"

#include "formats/im2/im2.h"
#include "formats/img/img.h"
#include "formats/ix2/ix2.h"
#include "synth/image_reading.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>

namespace tvx::test {

namespace {

std::mutex g_logLock;
std::vector<Verdict> g_log;
std::int32_t g_actAt = -100;
std::function<void()> g_act;

}  // namespace

void VerdictLog::OnBlock(std::int32_t index, BlockStatus status) {
    std::function<void()> act;
    {
        const std::lock_guard lock(g_logLock);
        g_log.push_back({index, status});
        if (index == g_actAt) {
            act = std::exchange(g_act, {});
            g_actAt = -100;
        }
    }
    if (act)
        act();
}

void VerdictLog::OnRecord(std::uint32_t index, std::uint32_t flags) {
    OnBlock(static_cast<std::int32_t>(index), flags);
}

void VerdictLog::ActAt(std::int32_t at, std::function<void()> act) {
    const std::lock_guard lock(g_logLock);
    g_actAt = at;
    g_act = std::move(act);
}

std::vector<Verdict> VerdictLog::Take() {
    const std::lock_guard lock(g_logLock);
    return std::exchange(g_log, {});
}

std::size_t VerdictLog::Size() {
    const std::lock_guard lock(g_logLock);
    return g_log.size();
}

std::vector<std::int32_t> VerdictLog::Indices(const std::vector<Verdict>& verdicts) {
    std::vector<std::int32_t> out;
    for (const Verdict& v : verdicts)
        out.push_back(v.index);
    return out;
}

std::vector<std::int32_t> Blocks(std::int32_t first, std::int32_t last) {
    std::vector<std::int32_t> out;
    for (std::int32_t i = first; i <= last; ++i)
        out.push_back(i);
    return out;
}

struct StuckDevice::State {
    std::mutex lock;
    std::condition_variable changed;
    bool holding = false;
    bool letGo = false;
    int alive = 0;
};

class StuckDevice::Backend : public OutputBackend {
public:
    explicit Backend(std::shared_ptr<State> state) : m_state(std::move(state)) {
        const std::lock_guard lock(m_state->lock);
        ++m_state->alive;
    }
    ~Backend() override {
        const std::lock_guard lock(m_state->lock);
        --m_state->alive;
        m_state->changed.notify_all();
    }
    std::uint32_t Open(const PcmFormat&, Completion onDone) override {
        m_onDone = std::move(onDone);
        return 0;
    }
    void Close() override { GiveBack(); }
    void Queue(std::span<const std::uint8_t>) override {
        ++m_queued;
        std::unique_lock lock(m_state->lock);
        m_state->holding = true;
        m_state->changed.notify_all();
        m_state->changed.wait(lock, [&] { return m_state->letGo; });
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

    std::shared_ptr<State> m_state;
    Completion m_onDone;
    int m_queued = 0;
};

StuckDevice::StuckDevice() : m_state(std::make_shared<State>()) {}

BackendFactory StuckDevice::Factory() {
    return [state = m_state]() -> std::unique_ptr<OutputBackend> {
        return std::make_unique<Backend>(state);
    };
}

bool StuckDevice::WaitUntilHolding() {
    std::unique_lock lock(m_state->lock);
    return m_state->changed.wait_for(lock, 20s, [&] { return m_state->holding; });
}

void StuckDevice::LetGo() {
    const std::lock_guard lock(m_state->lock);
    m_state->letGo = true;
    m_state->changed.notify_all();
}

bool StuckDevice::WaitUntilGone() {
    std::unique_lock lock(m_state->lock);
    return m_state->changed.wait_for(lock, 20s, [&] { return m_state->alive == 0; });
}

void RecordingHooks::Notice(const std::string& /*caption*/, const std::string& text) {
    const std::lock_guard lock(m_lock);
    m_notices.push_back(text);
}

std::vector<std::string> RecordingHooks::Notices() const {
    const std::lock_guard lock(m_lock);
    return m_notices;
}

bool AdvanceUntil(TestAudio& audio, const std::function<bool()>& pred) {
    return Eventually([&] {
        if (pred())
            return true;
        audio.Advance(250ms);
        std::this_thread::sleep_for(1ms);
        return false;
    });
}

std::vector<std::uint8_t> WholeBuffers(std::vector<std::uint8_t> pcm) {
    pcm.resize(pcm.size() / 512 * 512);
    return pcm;
}

TempFolder::TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir = std::filesystem::temp_directory_path() /
            (std::string("tvx-play-") + info->test_suite_name() + "-" + info->name() + "-" +
             std::to_string(::getpid()));
    std::filesystem::create_directories(m_dir);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

namespace {

// CIm2 and CIx2 share their requests; an IX2 counts its time from the split's first block.
template <typename Reader>
class Im2Family final : public AnyReader {
public:
    explicit Im2Family(const PlaybackSetup& setup) : m_reader(setup) {
        m_reader.SetBlockCallback(&VerdictLog::OnBlock);
    }
    bool Open(const std::string& path) override { return m_reader.OpenFile(path); }
    void Close() override { m_reader.CloseFile(); }
    void Play() override { m_reader.Play(); }
    void Stop() override { m_reader.Stop(); }
    void Pause(bool pause) override { m_reader.Pause(pause); }
    void Seek(std::int64_t ms) override { m_reader.SeekMs(ms); }
    void StartScan() override { m_reader.StartScan(); }
    void StopScan() override { m_reader.StopScan(); }
    bool IsPlaying() const override { return m_reader.IsPlaying(); }
    bool IsScanning() const override { return m_reader.IsScanning(); }
    void Rewind() override { m_reader.Rewind(); }
    std::int64_t CounterMs() const override {
        if constexpr (std::is_same_v<Reader, CIx2>)
            return m_reader.SplitPlayedMsByCounter();
        else
            return m_reader.PlayedMsByCounter();
    }

private:
    Reader m_reader;
};

class ImgReader final : public AnyReader {
public:
    explicit ImgReader(const PlaybackSetup& setup) : m_reader(setup) {
        m_reader.SetRecordCallback(&VerdictLog::OnRecord);
    }
    bool Open(const std::string& path) override { return m_reader.Open(path); }
    void Close() override { m_reader.Close(); }
    void Play() override { m_reader.Play(); }
    void Stop() override { m_reader.Stop(); }
    void Pause(bool pause) override { m_reader.Pause(pause); }
    void Seek(std::int64_t ms) override { m_reader.SeekToTime(static_cast<std::int32_t>(ms)); }
    void StartScan() override { m_reader.StartScan(); }
    void StopScan() override { m_reader.StopScan(); }
    bool IsPlaying() const override { return m_reader.IsPlaying(); }
    bool IsScanning() const override { return m_reader.IsScanning(); }
    std::int64_t CounterMs() const override { return m_reader.GetCounterTime(); }
    void Rewind() override { ADD_FAILURE() << "an IMG reader has no Rewind"; }

private:
    CImg m_reader;
};

constexpr std::uint32_t kSplitFirst = 100;

synth::Ix2Options Ix2Of(const TestImage& image) {
    synth::Ix2Options o;
    o.audio = image.audio;
    o.splitFirst = kSplitFirst;
    o.chain = image.kind == Kind::Ix2Chain;
    return o;
}

}  // namespace

TestImage ImageOf(Kind kind, std::uint32_t blocks, int storedBits) {
    TestImage image{kind, {}, {.bits = kind == Kind::Img5 ? 5 : 8, .records = blocks, .erased = 3}};
    image.audio.storedBits = storedBits;
    image.audio.blocks = blocks;
    return image;
}

std::vector<TestImage> EveryFormat(std::uint32_t blocks) {
    std::vector<TestImage> out;
    for (const Kind kind : {Kind::Im2, Kind::Ix2Plain, Kind::Ix2Chain, Kind::Img8, Kind::Img5})
        out.push_back(ImageOf(kind, blocks));
    return out;
}

std::string TestImage::Name() const {
    const char* kNames[] = {"IM2", "plain IX2", "chain IX2", "8-bit IMG", "5-bit IMG"};
    return kNames[static_cast<int>(kind)] + std::string(IsImg() ? "" : " of " + std::to_string(audio.storedBits) + "-bit");
}

std::string TestImage::Write(const TempFolder& dir, const std::vector<std::uint32_t>& broken) const {
    std::vector<synth::Fault> faults;
    std::vector<synth::ImgFault> imgFaults;
    for (const std::uint32_t k : broken) {
        faults.push_back({synth::FaultKind::PayloadByte, k});
        imgFaults.push_back({synth::ImgFaultKind::BlockChecksum, k + 1});
    }
    const std::string path = dir / (IsImg() ? "VOICE.IMG" : IsIx2() ? "F00012.IX2" : "F00012.IM2");
    EXPECT_TRUE(IsImg()   ? synth::WriteImgFile(path, img, imgFaults)
                : IsIx2() ? synth::WriteIx2File(path, Ix2Of(*this), faults)
                          : synth::WriteIm2File(path, audio, faults));
    return path;
}

std::unique_ptr<AnyReader> TestImage::MakeReader(const PlaybackSetup& setup) const {
    if (IsImg())
        return std::make_unique<ImgReader>(setup);
    if (IsIx2())
        return std::make_unique<Im2Family<CIx2>>(setup);
    return std::make_unique<Im2Family<CIm2>>(setup);
}

std::int64_t TestImage::MsOfBlock(std::uint32_t k) const {
    if (IsImg())
        return std::int64_t{k} * (kind == Kind::Img5 ? 816 : 512) * 1000 / img.sampleRate;
    const synth::Layout layout = synth::LayoutOf(audio);
    return std::int64_t{k} * static_cast<std::int64_t>(layout.samplesPerChannel) * 1000 / layout.sampleRate;
}

std::uint32_t TestImage::PastTheEnd() const {
    if (IsImg())
        return img.records + img.erased;   // the erased tail is in the file
    // A chain's file ends with the outer block its last inner block ends in, and an inner
    // block that would start there is in the file too.
    std::uint32_t k = audio.blocks;
    while (kind == Kind::Ix2Chain && ChainPositionOf(k).outer < synth::ChainOuterBlocks(audio.blocks))
        ++k;
    return k;
}

std::int32_t TestImage::HeaderVerdicts() const { return IsImg() ? 0 : IsIx2() ? 3 : 1; }

std::uint8_t TestImage::Silence() const {
    return IsImg() || synth::LayoutOf(audio).outputBits == 8 ? 0x80 : 0x00;
}

std::vector<std::uint8_t> TestImage::HeardFrom(std::uint32_t first) const {
    std::vector<std::uint8_t> out;
    if (IsImg()) {
        for (std::uint32_t n = first + 1; n <= img.records; ++n) {
            const auto samples = synth::ImgSamples(img, n);
            out.insert(out.end(), samples.begin(), samples.end());
        }
        return WholeBuffers(out);
    }
    synth::Im2Options whole = audio;
    const std::uint32_t skip = IsIx2() ? kSplitFirst : 0;
    whole.blocks += skip;
    const std::size_t perBlock = synth::LayoutOf(audio).samplesPerChannel;
    if (audio.storedBits == 16) {
        for (const std::int16_t s : synth::Signal(whole, (skip + first) * perBlock, (audio.blocks - first) * perBlock)) {
            out.push_back(static_cast<std::uint8_t>(s & 0xFF));
            out.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
        }
        return WholeBuffers(out);
    }
    synth::DecodeImage(synth::MakeIm2(whole), out);
    out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(out.size() / whole.blocks * (skip + first)));
    return WholeBuffers(out);
}

void PlaybackTest::SetUp() {
    VerdictLog::Take();
    VerdictLog::ActAt(-100, {});
}

std::unique_ptr<AnyReader> PlaybackTest::Reader(const TestImage& image) {
    return image.MakeReader(PlaybackSetup{m_audio.Factory(), &m_hooks});
}

bool PlaybackTest::PlayToEnd(const AnyReader& reader) {
    return AdvanceUntil(m_audio, [&] { return !reader.IsPlaying(); });
}

void PlaybackTest::ExpectPlays(AnyReader& reader, const TestImage& image, std::uint32_t first) {
    VerdictLog::Take();
    m_audio.ClearPlayed();
    reader.Play();
    ASSERT_TRUE(PlayToEnd(reader));
    const auto verdicts = VerdictLog::Take();
    EXPECT_EQ(VerdictLog::Indices(verdicts), Blocks(static_cast<std::int32_t>(first),
                                                    static_cast<std::int32_t>(image.Blocks()) - 1));
    for (const Verdict& v : verdicts)
        EXPECT_EQ(v.status, 0u) << "block " << v.index;
    EXPECT_EQ(m_audio.Played(), image.HeardFrom(first));
    EXPECT_EQ(reader.CounterMs(), image.MsOfBlock(1));   // back at the first block
}

}  // namespace tvx::test

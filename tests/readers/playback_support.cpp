#include "playback_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace tvx::test {

namespace {

std::mutex g_logLock;
std::vector<Verdict> g_log;

}  // namespace

void VerdictLog::OnBlock(std::int32_t index, BlockStatus status) {
    const std::lock_guard lock(g_logLock);
    g_log.push_back({index, status});
}

void VerdictLog::OnRecord(std::uint32_t index, std::uint32_t flags) {
    OnBlock(static_cast<std::int32_t>(index), flags);
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

namespace {

std::mutex g_stopLock;
std::int32_t g_stopAt = -100;
std::function<void()> g_stop;

}  // namespace

void ActOnVerdict::Arm(std::int32_t at, std::function<void()> stop) {
    const std::lock_guard lock(g_stopLock);
    g_stopAt = at;
    g_stop = std::move(stop);
}

void ActOnVerdict::OnBlock(std::int32_t index, BlockStatus status) {
    VerdictLog::OnBlock(index, status);
    std::function<void()> stop;
    {
        const std::lock_guard lock(g_stopLock);
        if (index != g_stopAt)
            return;
        stop = std::exchange(g_stop, {});
        g_stopAt = -100;
    }
    if (stop)
        stop();
}

void ActOnVerdict::OnRecord(std::uint32_t index, std::uint32_t flags) {
    OnBlock(static_cast<std::int32_t>(index), flags);
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
    return m_state->changed.wait_for(lock, std::chrono::seconds(20),
                                     [&] { return m_state->holding; });
}

void StuckDevice::LetGo() {
    const std::lock_guard lock(m_state->lock);
    m_state->letGo = true;
    m_state->changed.notify_all();
}

bool StuckDevice::WaitUntilGone() {
    std::unique_lock lock(m_state->lock);
    return m_state->changed.wait_for(lock, std::chrono::seconds(20),
                                     [&] { return m_state->alive == 0; });
}

std::vector<std::int32_t> Blocks(std::int32_t first, std::int32_t last) {
    std::vector<std::int32_t> out;
    for (std::int32_t i = first; i <= last; ++i)
        out.push_back(i);
    return out;
}

void RecordingHooks::Notice(const std::string& /*caption*/, const std::string& text) {
    const std::lock_guard lock(m_lock);
    m_notices.push_back(text);
}

bool RecordingHooks::PumpWaitingMessage() {
    const std::lock_guard lock(m_lock);
    ++m_pumps;
    return true;
}

std::vector<std::string> RecordingHooks::Notices() const {
    const std::lock_guard lock(m_lock);
    return m_notices;
}

int RecordingHooks::Pumps() const {
    const std::lock_guard lock(m_lock);
    return m_pumps;
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

bool PlayToEnd(TestAudio& audio, const std::function<bool()>& isPlaying) {
    return AdvanceUntil(audio, [&] { return !isPlaying(); });
}

std::vector<std::uint8_t> Pcm16Of(const synth::Im2Options& options, std::uint32_t first,
                                  std::uint32_t blocks) {
    const std::size_t perBlock = synth::LayoutOf(options).samplesPerChannel;
    const auto samples =
        synth::Signal(options, std::uint64_t{first} * perBlock, std::size_t{blocks} * perBlock);
    std::vector<std::uint8_t> bytes;
    for (const std::int16_t s : samples) {
        bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
    return bytes;
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

}  // namespace tvx::test

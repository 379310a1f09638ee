#include "audio/test_backend.h"

#include <algorithm>
#include <cassert>
#include <deque>
#include <span>

namespace tvx {

// One device. Everything it holds is guarded by its TestAudio's lock; completions are
// reported with that lock held, so a device cannot go away under its own callback.
class TestAudio::Device : public OutputBackend {
public:
    explicit Device(TestAudio& audio) : m_audio(audio) {
        const std::lock_guard lock(m_audio.m_lock);
        m_audio.m_devices.push_back(this);
        ++m_audio.m_counts.made;
        ++m_audio.m_counts.alive;
    }

    ~Device() override {
        Device::Close();
        const std::lock_guard lock(m_audio.m_lock);
        std::erase(m_audio.m_devices, this);
        --m_audio.m_counts.alive;
    }

    std::uint32_t Open(const PcmFormat& format, Completion onDone) override {
        Close();
        const std::lock_guard lock(m_audio.m_lock);
        if (m_audio.m_failCode != 0)
            return m_audio.m_failCode;
        m_open = true;
        m_paused = false;
        m_format = format;
        m_onDone = std::move(onDone);
        ++m_audio.m_counts.opens;
        m_audio.m_counts.format = format;
        return 0;
    }

    void Close() override {
        const std::lock_guard lock(m_audio.m_lock);
        ReturnAll();
        m_open = false;
    }

    void Queue(std::span<const std::uint8_t> buffer) override {
        const std::lock_guard lock(m_audio.m_lock);
        assert(m_open && "queued on a closed device");
        m_queue.push_back(buffer);
        ++m_audio.m_counts.queued;
    }

    void Reset() override {
        const std::lock_guard lock(m_audio.m_lock);
        ReturnAll();
        m_paused = false;
        ++m_audio.m_counts.resets;
    }

    void Pause() override {
        const std::lock_guard lock(m_audio.m_lock);
        m_paused = true;
        ++m_audio.m_counts.pauses;
    }

    void Resume() override {
        const std::lock_guard lock(m_audio.m_lock);
        m_paused = false;
        ++m_audio.m_counts.resumes;
    }

    // With the lock held.
    void Play(std::chrono::milliseconds step) {
        if (!m_open || m_paused)
            return;
        m_budget += static_cast<std::uint64_t>(step.count()) * m_format.AvgBytesPerSec();
        while (!m_queue.empty()) {
            const std::size_t left = m_queue.front().size() - m_headPlayed;
            const std::uint64_t affordable = m_budget / 1000;
            const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, affordable));
            m_headPlayed += take;
            m_budget -= std::uint64_t{take} * 1000;
            if (m_headPlayed < m_queue.front().size())
                return;
            const auto done = m_queue.front();
            m_audio.m_played.insert(m_audio.m_played.end(), done.begin(), done.end());
            Finish();
        }
        m_budget = 0;   // a starved device does not save up time
    }

private:
    void Finish() {
        m_queue.pop_front();
        m_headPlayed = 0;
        --m_audio.m_counts.queued;
        m_onDone();
    }

    void ReturnAll() {
        while (!m_queue.empty())
            Finish();
        m_budget = 0;
    }

    TestAudio& m_audio;
    bool m_open = false;
    bool m_paused = false;
    PcmFormat m_format;
    Completion m_onDone;
    std::deque<std::span<const std::uint8_t>> m_queue;
    std::size_t m_headPlayed = 0;
    std::uint64_t m_budget = 0;   // bytes x 1000 owed to the device
};

TestAudio::~TestAudio() { assert(m_devices.empty() && "a device outlives its TestAudio"); }

BackendFactory TestAudio::Factory() {
    return [this] { return std::unique_ptr<OutputBackend>(new Device(*this)); };
}

void TestAudio::Advance(std::chrono::milliseconds step) {
    const std::lock_guard lock(m_lock);
    for (Device* d : m_devices)
        d->Play(step);
}

void TestAudio::FailOpens(std::uint32_t code) {
    const std::lock_guard lock(m_lock);
    m_failCode = code;
}

TestAudio::Counts TestAudio::GetCounts() const {
    const std::lock_guard lock(m_lock);
    return m_counts;
}

std::vector<std::uint8_t> TestAudio::Played() const {
    const std::lock_guard lock(m_lock);
    return m_played;
}

void TestAudio::ClearPlayed() {
    const std::lock_guard lock(m_lock);
    m_played.clear();
}

}  // namespace tvx

#pragma once

#include "audio/output_backend.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

namespace tvx {

// Sound devices for tests, played by a clock the test moves on. Every device made by
// Factory() reports here: what it was opened with, what it was asked to do, and the bytes of
// every buffer it finished playing, in order. Safe to use from the test thread while a
// reader's worker drives the devices.
class TestAudio {
public:
    TestAudio() = default;
    ~TestAudio();
    TestAudio(const TestAudio&) = delete;
    TestAudio& operator=(const TestAudio&) = delete;

    BackendFactory Factory();

    // Every open device that is not paused plays `step` of its queue at its format's byte
    // rate; each buffer that ends is reported finished on this thread. A device with nothing
    // queued lets the time pass unused.
    void Advance(std::chrono::milliseconds step);

    // The next opens fail with this code; 0 lets them succeed again.
    void FailOpens(std::uint32_t code);

    struct Counts {
        int made = 0;        // backends made by the factory
        int alive = 0;       // of them not destroyed yet
        int opens = 0;       // successful opens
        int resets = 0;
        int pauses = 0;
        int resumes = 0;
        std::size_t queued = 0;   // buffers queued and not finished, all devices
        PcmFormat format;         // of the last successful open
    };
    Counts GetCounts() const;
    // Bytes of every finished buffer, in the order they finished (buffers returned by a reset
    // or a close were not played and are not here).
    std::vector<std::uint8_t> Played() const;
    void ClearPlayed();

private:
    class Device;
    friend class Device;

    mutable std::mutex m_lock;
    std::vector<Device*> m_devices;
    Counts m_counts;
    std::uint32_t m_failCode = 0;
    std::vector<std::uint8_t> m_played;
};

}  // namespace tvx

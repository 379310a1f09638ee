#pragma once

#include "audio/output_backend.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace tvx {

// The playback sink of a reader's worker: a pool of 300 buffers of 512 bytes filled in
// rotation, each handed to the output device only when full. Write blocks, in 10 ms sleeps,
// while every buffer is queued, so the device paces the worker. One owner thread calls
// everything; the device's completions only count buffers back, under the pool's lock.
class CWavePlay {
public:
    static constexpr std::uint32_t kBufferSize = 512;
    static constexpr std::uint32_t kBufferCount = 300;

    using NoticeFn = std::function<void(const std::string& text)>;

    // Opens the device with the default format (44.1 kHz, 16 bits, stereo). A device that
    // will not open is told through `notice`; without one (or without a backend) buffers
    // come back as soon as they are queued, so nothing waits for a device that is not there.
    explicit CWavePlay(std::unique_ptr<OutputBackend> backend, NoticeFn notice = {});
    virtual ~CWavePlay();
    CWavePlay(const CWavePlay&) = delete;
    CWavePlay& operator=(const CWavePlay&) = delete;

    // Reopens the device with a new PCM format; the pool's state is left as it is.
    void SetFormat(std::uint32_t sampleRate, std::uint16_t bitsPerSample, std::uint16_t channels);
    // Appends bytes to the buffer stream; a tail shorter than a buffer waits for the next Write.
    void Write(const std::uint8_t* data, std::int32_t length);
    // Stops output, takes every queued buffer back and drops a partly filled one.
    void Reset();
    std::uint32_t Pause();
    std::uint32_t Restart();
    // Audio in queued buffers, not counting the one being filled.
    std::int32_t GetQueuedMilliseconds() const;

    // A Write waiting for a free buffer gives up, dropping its remaining bytes, once this
    // returns true. The owner resets the device before it writes again.
    void SetInterrupt(std::function<bool()> interrupted) { m_interrupted = std::move(interrupted); }

    const PcmFormat& GetFormat() const { return m_format; }
    bool IsDeviceOpen() const { return m_bDeviceOpen; }
    std::int32_t GetFreeBuffers() const;

private:
    struct WaveHeader {
        std::uint8_t* data;
        std::uint32_t bufferLength;
        std::uint32_t fill;   // bytes copied in so far
        bool prepared;        // handed to the device and not yet reclaimed
    };

    WaveHeader& Header(std::uint32_t i) { return m_pHeaders[i]; }
    void OpenDevice();
    void OnBufferDone();
    void QueueCurrent();
    bool WaitForFreeBuffer();

    std::uint32_t m_nBufferSize = kBufferSize;
    std::uint32_t m_nBufferCount = kBufferCount;
    std::uint32_t m_nCurrent = 0;
    std::int32_t m_nFree = kBufferCount;   // guarded by m_lock
    WaveHeader* m_pHeaders = nullptr;      // the pool: headers, then their data areas
    mutable std::mutex m_lock;
    std::unique_ptr<OutputBackend> m_device;
    bool m_bDeviceOpen = false;
    PcmFormat m_format;
    NoticeFn m_notice;
    std::function<bool()> m_interrupted;
};

}  // namespace tvx

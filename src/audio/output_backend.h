#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace tvx {

// The PCM layout a device is opened with: interleaved samples, 8-bit unsigned or 16-bit
// signed little-endian.
struct PcmFormat {
    std::uint32_t sampleRate = 44100;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t channels = 2;

    std::uint32_t BlockAlign() const { return std::uint32_t{bitsPerSample} * channels / 8; }
    std::uint32_t AvgBytesPerSec() const { return BlockAlign() * sampleRate; }
};

// Codes a failed open reports; the wave device's notice shows the number.
inline constexpr std::uint32_t kOutputErrorNoDevice = 2;
inline constexpr std::uint32_t kOutputErrorNoDriver = 6;
inline constexpr std::uint32_t kOutputErrorBadFormat = 32;

// A sound service as the wave device needs it: buffers are played in the order queued, each
// finished buffer is reported once, a reset returns every queued buffer. A backend is driven
// by one thread (its owner's); only the completions may come from another.
class OutputBackend {
public:
    // One call per finished (or returned) buffer, in queue order.
    using Completion = std::function<void()>;

    virtual ~OutputBackend() = default;

    // Opens the device for this format, running; a device already open is closed first.
    // 0 when it opened, else a code for the notice; the backend then has no device.
    virtual std::uint32_t Open(const PcmFormat& format, Completion onDone) = 0;
    // Closes the device; every queued buffer is returned before this ends.
    virtual void Close() = 0;
    // A full buffer to play after those already queued. Its bytes are read until its
    // completion is reported, so the caller leaves them alone until then.
    virtual void Queue(std::span<const std::uint8_t> buffer) = 0;
    // Stops output and returns every queued buffer before it ends; the device stays open and
    // plays what comes next, even after a pause.
    virtual void Reset() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
};

// Makes one backend per device; a reader's worker calls it when it first needs a device.
using BackendFactory = std::function<std::unique_ptr<OutputBackend>()>;

}  // namespace tvx

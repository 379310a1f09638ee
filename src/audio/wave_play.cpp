#include "audio/wave_play.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace tvx {

namespace {

constexpr std::uint32_t kNoError = 0;
constexpr std::uint32_t kInvalidHandle = 5;

}  // namespace

CWavePlay::CWavePlay(std::unique_ptr<OutputBackend> backend, NoticeFn notice)
    : m_device(std::move(backend)), m_notice(std::move(notice)) {
    // One zeroed block for the whole pool, taken once: Write never allocates.
    const std::size_t bytes = (sizeof(WaveHeader) + m_nBufferSize) * m_nBufferCount;
    void* pool = std::calloc(1, bytes);
    if (pool == nullptr) {
        std::fprintf(stderr, "Memory allocation error\n");
        std::_Exit(1);
    }
    m_pHeaders = static_cast<WaveHeader*>(pool);
    auto* data = static_cast<std::uint8_t*>(pool) + sizeof(WaveHeader) * m_nBufferCount;
    for (std::uint32_t i = 0; i < m_nBufferCount; ++i) {
        Header(i).data = data + std::size_t{i} * m_nBufferSize;
        Header(i).bufferLength = m_nBufferSize;
    }
    OpenDevice();
}

CWavePlay::~CWavePlay() {
    // The device hands every queued buffer back before the pool goes.
    if (m_device)
        m_device->Close();
    m_device.reset();
    std::free(m_pHeaders);
}

void CWavePlay::OpenDevice() {
    m_bDeviceOpen = false;
    const std::uint32_t result =
        m_device ? m_device->Open(m_format, [this] { OnBufferDone(); }) : kOutputErrorNoDriver;
    if (result == kNoError) {
        m_bDeviceOpen = true;
        return;
    }
    if (m_notice) {
        char text[64];
        std::snprintf(text, sizeof text, "Unable to open wave device.\r\nError: %lu",
                      static_cast<unsigned long>(result));
        m_notice(text);
    }
}

void CWavePlay::SetFormat(std::uint32_t sampleRate, std::uint16_t bitsPerSample,
                          std::uint16_t channels) {
    for (std::uint32_t i = 0; i < m_nBufferCount; ++i)
        Header(i).prepared = false;
    if (m_device)
        m_device->Close();
    m_format.sampleRate = sampleRate;
    m_format.bitsPerSample = bitsPerSample;
    m_format.channels = channels;
    OpenDevice();
}

void CWavePlay::OnBufferDone() {
    const std::lock_guard lock(m_lock);
    ++m_nFree;
}

std::int32_t CWavePlay::GetFreeBuffers() const {
    const std::lock_guard lock(m_lock);
    return m_nFree;
}

bool CWavePlay::WaitForFreeBuffer() {
    while (GetFreeBuffers() == 0) {
        if (m_interrupted && m_interrupted())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void CWavePlay::QueueCurrent() {
    WaveHeader& h = Header(m_nCurrent);
    h.bufferLength = m_nBufferSize;
    h.prepared = true;
    {
        const std::lock_guard lock(m_lock);
        --m_nFree;
    }
    if (m_bDeviceOpen)
        m_device->Queue(std::span<const std::uint8_t>(h.data, h.bufferLength));
    else
        OnBufferDone();   // no device to play it: it is done at once
}

void CWavePlay::Write(const std::uint8_t* data, std::int32_t length) {
    if (length < 1)
        return;
    auto remaining = static_cast<std::uint32_t>(length);
    for (;;) {
        WaveHeader& h = Header(m_nCurrent);
        if (h.prepared) {
            // Buffers finish in order, so the one to fill is still queued only when none is
            // free, which happens only after a Write gave up waiting.
            if (GetFreeBuffers() == 0 && !WaitForFreeBuffer())
                return;
            h.prepared = false;
        }
        const std::uint32_t room = m_nBufferSize - h.fill;
        if (remaining < room) {
            std::memcpy(h.data + h.fill, data, remaining);
            h.fill += remaining;
            return;
        }
        std::memcpy(h.data + h.fill, data, room);
        h.fill += room;
        data += room;
        remaining -= room;
        QueueCurrent();
        const bool waited = GetFreeBuffers() != 0 || WaitForFreeBuffer();
        m_nCurrent = (m_nCurrent + 1) % m_nBufferCount;
        Header(m_nCurrent).fill = 0;
        if (remaining == 0 || !waited)
            return;
    }
}

void CWavePlay::Reset() {
    if (m_bDeviceOpen)
        m_device->Reset();
    Header(m_nCurrent).fill = 0;
}

std::uint32_t CWavePlay::Pause() {
    if (!m_bDeviceOpen)
        return kInvalidHandle;
    m_device->Pause();
    return kNoError;
}

std::uint32_t CWavePlay::Restart() {
    if (!m_bDeviceOpen)
        return kInvalidHandle;
    m_device->Resume();
    return kNoError;
}

std::int32_t CWavePlay::GetQueuedMilliseconds() const {
    // The divisor is truncated first, as the device's own arithmetic does.
    const auto perMs = static_cast<std::int32_t>(m_format.AvgBytesPerSec() / 1000);
    if (perMs == 0)
        return 0;
    const std::int32_t queued = static_cast<std::int32_t>(m_nBufferCount) - GetFreeBuffers();
    return queued * static_cast<std::int32_t>(m_nBufferSize) / perMs;
}

}  // namespace tvx

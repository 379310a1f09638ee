#include "audio/sdl_backend.h"

#include "audio/output_volume.h"

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <deque>
#include <mutex>

namespace tvx {

namespace {

// SDL's subsystem count is not guarded against two workers opening devices at once.
std::mutex g_sdlInitLock;

// About 25 ms of frames per callback, a power of two as SDL prefers.
Uint16 CallbackFrames(std::uint32_t sampleRate) {
    const std::uint32_t frames = std::bit_floor(std::max<std::uint32_t>(sampleRate / 25, 64));
    return static_cast<Uint16>(std::min<std::uint32_t>(frames, 4096));
}

class SdlBackend final : public OutputBackend {
public:
    SdlBackend() = default;
    ~SdlBackend() override {
        SdlBackend::Close();
        if (m_subsystem) {
            const std::lock_guard lock(g_sdlInitLock);
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    std::uint32_t Open(const PcmFormat& format, Completion onDone) override {
        Close();
        if (format.bitsPerSample != 8 && format.bitsPerSample != 16)
            return kOutputErrorBadFormat;
        if (!m_subsystem) {
            const std::lock_guard lock(g_sdlInitLock);
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
                return kOutputErrorNoDriver;
            m_subsystem = true;
        }
        m_format = format;
        m_onDone = std::move(onDone);
        SDL_AudioSpec want{};
        want.freq = static_cast<int>(format.sampleRate);
        want.format = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
        want.channels = static_cast<Uint8>(format.channels);
        want.samples = CallbackFrames(format.sampleRate);
        want.callback = &SdlBackend::OnAudio;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts to whatever the device needs.
        m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (m_device == 0)
            return kOutputErrorNoDevice;
        m_silence = have.silence;
        SDL_PauseAudioDevice(m_device, 0);
        return 0;
    }

    void Close() override {
        if (m_device != 0) {
            SDL_CloseAudioDevice(m_device);   // waits for the audio thread to end
            m_device = 0;
        }
        ReturnAll();
    }

    void Queue(std::span<const std::uint8_t> buffer) override {
        const std::lock_guard lock(m_lock);
        m_queue.push_back(buffer);
    }

    void Reset() override {
        if (m_device == 0)
            return ReturnAll();
        SDL_LockAudioDevice(m_device);   // the callback is not running while we hold it
        const std::size_t returned = TakeAll();
        SDL_UnlockAudioDevice(m_device);
        SDL_PauseAudioDevice(m_device, 0);
        Report(returned);
    }

    void Pause() override {
        if (m_device != 0)
            SDL_PauseAudioDevice(m_device, 1);
    }

    void Resume() override {
        if (m_device != 0)
            SDL_PauseAudioDevice(m_device, 0);
    }

private:
    static void SDLCALL OnAudio(void* self, Uint8* stream, int length) {
        static_cast<SdlBackend*>(self)->Fill(stream, static_cast<std::size_t>(length));
    }

    void Fill(Uint8* stream, std::size_t length) {
        std::size_t finished = 0;
        std::size_t at = 0;
        const std::uint32_t volume = GetOutputVolume();
        {
            const std::lock_guard lock(m_lock);
            while (at < length && !m_queue.empty()) {
                const std::span<const std::uint8_t> head = m_queue.front();
                const std::size_t take = std::min(length - at, head.size() - m_headPlayed);
                std::memcpy(stream + at, head.data() + m_headPlayed, take);
                ApplyVolume(std::span(stream + at, take), m_format, volume, m_headPlayed);
                at += take;
                m_headPlayed += take;
                if (m_headPlayed == head.size()) {
                    m_queue.pop_front();
                    m_headPlayed = 0;
                    ++finished;
                }
            }
        }
        // Starved: silence until the worker catches up.
        if (at < length)
            std::memset(stream + at, m_silence, length - at);
        Report(finished);
    }

    std::size_t TakeAll() {
        const std::lock_guard lock(m_lock);
        const std::size_t n = m_queue.size();
        m_queue.clear();
        m_headPlayed = 0;
        return n;
    }

    void ReturnAll() { Report(TakeAll()); }

    void Report(std::size_t buffers) {
        if (!m_onDone)
            return;
        for (std::size_t i = 0; i < buffers; ++i)
            m_onDone();
    }

    SDL_AudioDeviceID m_device = 0;
    bool m_subsystem = false;
    PcmFormat m_format;
    Uint8 m_silence = 0;
    Completion m_onDone;
    std::mutex m_lock;   // the queue, shared with the audio callback
    std::deque<std::span<const std::uint8_t>> m_queue;
    std::size_t m_headPlayed = 0;
};

}  // namespace

std::unique_ptr<OutputBackend> MakeSdlBackend() { return std::make_unique<SdlBackend>(); }

}  // namespace tvx

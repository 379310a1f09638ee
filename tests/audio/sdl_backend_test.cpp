// Runs with SDL's disk driver, which writes the device's output to a file as a sound card
// would play it, in real time. That every format is heard as played, the readers' end-to-end
// tests show; these show what the device does with its queue.
#include "audio/sdl_backend.h"

#include "audio/output_volume.h"
#include "disk_capture.h"
#include "eventually.h"

#include <SDL.h>

#include <atomic>

namespace tvx {
namespace {

using namespace std::chrono_literals;
using test::Eventually;

std::vector<std::uint8_t> Tone(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(1 + (i * 37) % 250);
    return v;
}

class SdlBackendTest : public ::testing::Test {
protected:
    void Queue(OutputBackend& out, const std::vector<std::uint8_t>& bytes) {
        for (std::size_t at = 0; at < bytes.size(); at += 512)
            out.Queue(std::span(bytes).subspan(at, 512));
    }
    OutputBackend::Completion Counter() {
        return [this] { m_done.fetch_add(1); };
    }

    std::atomic<int> m_done{0};
};

TEST_F(SdlBackendTest, ResetAndCloseReturnEveryQueuedBufferAndTheVolumeIsHeard) {
    test::DiskCapture capture("queue");
    // The backend plays the caller's buffers in place: they outlive the device.
    const std::vector<std::uint8_t> quiet(10 * 512, 3);
    const std::vector<std::uint8_t> loud(4 * 512, 200);
    const std::vector<std::uint8_t> tone = Tone(6 * 512);
    auto out = MakeSdlBackend();
    EXPECT_EQ(out->Open(PcmFormat{8000, 12, 1}, Counter()), 32u);   // the notice shows the number
    ASSERT_EQ(out->Open(PcmFormat{8000, 8, 1}, Counter()), 0u);
    out->Pause();
    Queue(*out, quiet);
    std::this_thread::sleep_for(200ms);   // room for a paused device that plays to show it
    EXPECT_EQ(m_done.load(), 0);
    out->Reset();
    EXPECT_EQ(m_done.load(), 10);         // all back before Reset returns, playing again

    SetOutputVolume(0x80008000u);
    Queue(*out, loud);
    ASSERT_TRUE(Eventually([&] { return m_done.load() == 14; }));
    SetOutputVolume(kFullVolume);
    out->Pause();
    Queue(*out, tone);
    out->Close();
    EXPECT_EQ(m_done.load(), 20);         // what was still queued comes back with Close
    out->Reset();                         // closed: nothing left, nothing happens
    EXPECT_EQ(m_done.load(), 20);
    EXPECT_TRUE(test::HeardAsPlayed(capture.Read(), std::vector<std::uint8_t>(4 * 512, 164), 0x80));
}

TEST_F(SdlBackendTest, TheLastDeviceGoneReleasesTheAudioSubsystem) {
    test::DiskCapture capture("subsystem");
    {
        auto idle = MakeSdlBackend();   // never opened: it holds nothing to let go of
        auto out = MakeSdlBackend();
        ASSERT_EQ(out->Open(PcmFormat{8000, 8, 1}, Counter()), 0u);
        idle.reset();
        EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    }
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

}  // namespace
}  // namespace tvx

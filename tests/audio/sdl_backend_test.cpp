// Runs with SDL's disk driver, which writes the device's output to a file as a sound card
// would play it, in real time. That every format is heard as played, the readers' end-to-end
// tests show; these show what the device does with its queue.
#include "audio/sdl_backend.h"

#include "audio/output_volume.h"
#include "test_support.h"

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <list>
#include <memory>
#include <vector>

namespace tvx {
namespace {

using namespace std::chrono_literals;

class SdlBackendTest : public ::testing::Test {
protected:
    // SDL's disk driver writes what it plays to this file.
    void SetUp() override { ::setenv("SDL_DISKAUDIOFILE", (m_dir / "out.raw").c_str(), 1); }
    // Queues `buffers` of 512 bytes of this value; the backend plays them in place, so they
    // outlive the device.
    void Queue(std::uint8_t value, std::size_t buffers) {
        m_buffers.emplace_back(buffers * 512, value);
        for (std::size_t at = 0; at < m_buffers.back().size(); at += 512)
            m_out->Queue(std::span(m_buffers.back()).subspan(at, 512));
    }

    test::TempDir m_dir;
    std::list<std::vector<std::uint8_t>> m_buffers;
    std::atomic<int> m_done{0};
    const OutputBackend::Completion m_counter = [this] { m_done.fetch_add(1); };
    std::unique_ptr<OutputBackend> m_out = MakeSdlBackend();
};

TEST_F(SdlBackendTest, ResetAndCloseReturnEveryQueuedBufferAndTheVolumeIsHeard) {
    EXPECT_EQ(m_out->Open(PcmFormat{8000, 12, 1}, m_counter), 32u);   // the notice shows the number
    ASSERT_EQ(m_out->Open(PcmFormat{8000, 8, 1}, m_counter), 0u);
    m_out->Pause();
    Queue(3, 10);
    std::this_thread::sleep_for(200ms);   // room for a paused device that plays to show it
    EXPECT_EQ(m_done.load(), 0);
    m_out->Reset();
    EXPECT_EQ(m_done.load(), 10);         // all back before Reset returns, playing again
    SetOutputVolume(0x80008000u);
    Queue(200, 4);
    ASSERT_TRUE(test::Eventually([&] { return m_done.load() == 14; }));
    SetOutputVolume(kFullVolume);
    m_out->Pause();
    Queue(7, 6);
    m_out->Close();
    EXPECT_EQ(m_done.load(), 20);         // what was still queued comes back with Close
    m_out->Reset();                       // closed: nothing left, nothing happens
    EXPECT_EQ(m_done.load(), 20);
    std::vector<std::uint8_t> heard = test::ReadBytes(m_dir / "out.raw");
    std::erase(heard, 0x80);   // the silence of a device kept waiting
    EXPECT_EQ(heard, std::vector<std::uint8_t>(4 * 512, 164));
}

TEST_F(SdlBackendTest, TheLastDeviceGoneReleasesTheAudioSubsystem) {
    auto idle = MakeSdlBackend();   // never opened: it holds nothing to let go of
    ASSERT_EQ(m_out->Open(PcmFormat{8000, 8, 1}, m_counter), 0u);
    idle.reset();
    EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    m_out.reset();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

}  // namespace
}  // namespace tvx

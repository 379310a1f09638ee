#include "audio/wave_play.h"

#include "audio/test_backend.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace tvx {
namespace {

using namespace std::chrono_literals;

std::vector<std::uint8_t> Pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 256);
    return v;
}

class WavePlayTest : public ::testing::Test {
protected:
    std::unique_ptr<CWavePlay> MakeDevice() {
        auto wave = std::make_unique<CWavePlay>(m_audio.Factory()(),
                                                [this](const std::string& t) { m_notices.push_back(t); });
        wave->SetFormat(8000, 8, 1);
        return wave;
    }
    static void Write(CWavePlay& wave, const std::vector<std::uint8_t>& bytes) {
        wave.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    }
    std::size_t Queued() { return m_audio.GetCounts().queued; }

    TestAudio m_audio;
    std::vector<std::string> m_notices;
};

TEST_F(WavePlayTest, OnlyFullBuffersAreQueued) {
    auto wave = MakeDevice();
    const auto bytes = Pattern(2560, 3);
    // Each write, from where and how much, and the 64 ms buffers queued after it: 464 bytes
    // are held back after the third.
    for (const auto& [from, n, queued] : {std::tuple{0, 100, 0}, {100, 412, 1}, {512, 2000, 4}, {2512, 47, 4}, {2559, 1, 5},
                                          {0, 0, 5}, {0, -5, 5}}) {
        wave->Write(bytes.data() + from, n);
        EXPECT_EQ(std::tuple(Queued(), wave->GetQueuedMilliseconds()), std::tuple(std::size_t(queued), 64 * queued));
    }
    m_audio.Advance(1000ms);
    EXPECT_EQ(m_audio.Played(), bytes);   // every byte once, in order
    // A reset drops the part of a buffer not yet queued.
    Write(*wave, Pattern(100, 9));
    wave->Reset();
    m_audio.ClearPlayed();
    Write(*wave, Pattern(512, 77));
    m_audio.Advance(100ms);
    EXPECT_EQ(m_audio.Played(), Pattern(512, 77));
}

TEST_F(WavePlayTest, QueuedMillisecondsTruncateTheByteRateFirst) {
    // Two buffers, 1024 bytes, over the byte rate's whole milliseconds.
    const std::tuple<std::uint32_t, std::uint16_t, std::uint16_t, std::int32_t> kCases[] = {
        {44100, 16, 2, 5}, {8000, 16, 1, 64}, {11025, 8, 1, 93}, {22050, 16, 2, 11}, {800, 8, 1, 0}};
    auto wave = MakeDevice();
    for (const auto& [rate, bits, channels, twoBuffers] : kCases) {
        wave->SetFormat(rate, bits, channels);
        Write(*wave, Pattern(1024, 1));
        EXPECT_EQ(wave->GetQueuedMilliseconds(), twoBuffers) << rate << " Hz " << bits << " bits";
        wave->Reset();
    }
}

TEST_F(WavePlayTest, AFullQueueHoldsTheWriterUntilItIsInterrupted) {
    // That a finished buffer lets a held writer go, the readers' pause tests show.
    auto wave = MakeDevice();
    std::atomic<bool> interrupt{false}, returned{false};
    wave->SetInterrupt([&] { return interrupt.load(); });
    const auto bytes = Pattern(301 * 512, 5);
    std::thread writer([&] {
        Write(*wave, bytes);
        returned = true;
    });
    ASSERT_TRUE(test::Eventually([&] { return Queued() == 300; }));
    std::this_thread::sleep_for(100ms);   // room for a writer that would not wait to show it
    EXPECT_EQ(std::tuple(returned.load(), wave->GetQueuedMilliseconds()), std::tuple(false, 19200));
    interrupt = true;
    EXPECT_TRUE(test::Eventually([&] { return returned.load(); }));
    writer.join();
    EXPECT_EQ(Queued(), 300u);            // the rest was dropped, nothing overwritten
    wave->Write(bytes.data(), 512);       // still full: gives up at once
    EXPECT_EQ(Queued(), 300u);
    wave->Reset();
    EXPECT_EQ(wave->GetFreeBuffers(), 300);   // the reset took every buffer back
    interrupt = false;
    Write(*wave, Pattern(512, 200));
    m_audio.Advance(1000ms);
    EXPECT_EQ(m_audio.Played(), Pattern(512, 200));
}

TEST_F(WavePlayTest, ADeviceThatWillNotOpenIsToldAndNeverHoldsTheWriter) {
    m_audio.FailOpens(32);
    auto wave = MakeDevice();
    ASSERT_EQ(m_notices.size(), 2u);   // the default format, then the one asked
    EXPECT_EQ(m_notices[0], "Unable to open wave device.\r\nError: 32");
    EXPECT_FALSE(wave->IsDeviceOpen());
    EXPECT_NE(wave->Pause(), 0u);
    Write(*wave, Pattern(400 * 512, 1));   // more than the pool: returns all the same
    EXPECT_EQ(wave->GetQueuedMilliseconds(), 0);
    m_audio.FailOpens(0);
    wave->SetFormat(8000, 8, 1);
    EXPECT_EQ(std::tuple(wave->IsDeviceOpen(), m_notices.size()), std::tuple(true, 2u));
    std::vector<std::string> notices;
    CWavePlay none(nullptr, [&](const std::string& t) { notices.push_back(t); });
    EXPECT_EQ(notices, std::vector<std::string>{"Unable to open wave device.\r\nError: 6"});
}

}  // namespace
}  // namespace tvx

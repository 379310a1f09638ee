#pragma once

#include "audio/output_backend.h"
#include "audio/test_backend.h"
#include "core/block_status.h"
#include "core/hooks.h"
#include "synth/synth.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tvx::test {

using namespace std::chrono_literals;

// Waits for something a worker brings about. The deadline only ends a hang: nothing here
// depends on how fast the machine is.
template <typename Pred>
bool Eventually(Pred pred, std::chrono::seconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

struct Verdict {
    std::int32_t index;
    std::uint32_t status;
    bool operator==(const Verdict&) const = default;
};

// Where the readers under test report: their callbacks are plain functions, so the log is
// one for the process, guarded because the workers write it while the test reads.
class VerdictLog {
public:
    static void OnBlock(std::int32_t index, BlockStatus status);
    static void OnRecord(std::uint32_t index, std::uint32_t flags);
    static std::vector<Verdict> Take();   // and empty the log
    static std::size_t Size();
    static std::vector<std::int32_t> Indices(const std::vector<Verdict>& verdicts);
};

// A callback that logs as VerdictLog does and, once index `at` is reported, runs `act` (on
// the worker, so a stop or a pause lands at a known place).
class ActOnVerdict {
public:
    static void Arm(std::int32_t at, std::function<void()> act);
    static void OnBlock(std::int32_t index, BlockStatus status);
    static void OnRecord(std::uint32_t index, std::uint32_t flags);
};

// A sound device that holds the worker inside its first Queue call until let go: a worker
// the reader's destructor cannot wait for.
class StuckDevice {
public:
    StuckDevice();
    BackendFactory Factory();
    bool WaitUntilHolding();   // the worker is inside Queue
    void LetGo();
    bool WaitUntilGone();      // every device made is destroyed

private:
    struct State;
    class Backend;
    std::shared_ptr<State> m_state;
};

// Indices first..last, in order.
std::vector<std::int32_t> Blocks(std::int32_t first, std::int32_t last);

// Shell hooks that remember the notices and count the pumped messages.
class RecordingHooks : public Hooks {
public:
    void Notice(const std::string& caption, const std::string& text) override;
    bool PumpWaitingMessage() override;
    std::vector<std::string> Notices() const;
    int Pumps() const;

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_notices;
    int m_pumps = 0;
};

// Moves the test clock on until the reader says it stopped playing.
bool PlayToEnd(TestAudio& audio, const std::function<bool()>& isPlaying);
// Moves the clock on until `pred` holds.
bool AdvanceUntil(TestAudio& audio, const std::function<bool()>& pred);

// The 16-bit PCM the synthesizer coded for `blocks` blocks of a plain 16-bit image, from
// block `first`: what decoding gives back exactly.
std::vector<std::uint8_t> Pcm16Of(const synth::Im2Options& options, std::uint32_t first,
                                  std::uint32_t blocks);
// Only whole 512-byte buffers reach the device; a shorter tail waits for more.
std::vector<std::uint8_t> WholeBuffers(std::vector<std::uint8_t> pcm);

// A fresh folder per test, removed with it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    std::string operator/(const std::string& name) const { return (m_dir / name).string(); }

private:
    std::filesystem::path m_dir;
};

}  // namespace tvx::test

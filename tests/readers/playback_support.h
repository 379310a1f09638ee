#pragma once

#include "audio/output_backend.h"
#include "audio/test_backend.h"
#include "core/block_status.h"
#include "core/hooks.h"
#include "eventually.h"
#include "play/playback.h"
#include "synth/img_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tvx::test {

using namespace std::chrono_literals;

struct Verdict {
    std::int32_t index;
    std::uint32_t status;
    bool operator==(const Verdict&) const = default;
};

// Where the readers under test report: their callbacks are plain functions, so the log is
// one for the process, guarded because the workers write it while the test reads. An action
// armed for an index runs on the worker once that index is reported, so a stop or a pause
// lands at a known place.
class VerdictLog {
public:
    static void OnBlock(std::int32_t index, BlockStatus status);
    static void OnRecord(std::uint32_t index, std::uint32_t flags);
    static void ActAt(std::int32_t at, std::function<void()> act);
    static std::vector<Verdict> Take();   // and empty the log
    static std::size_t Size();
    static std::vector<std::int32_t> Indices(const std::vector<Verdict>& verdicts);
};

// Indices first..last, in order.
std::vector<std::int32_t> Blocks(std::int32_t first, std::int32_t last);

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

// Shell hooks that remember the notices.
class RecordingHooks : public Hooks {
public:
    void Notice(const std::string& caption, const std::string& text) override;
    std::vector<std::string> Notices() const;

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_notices;
};

// Moves the test clock on until `pred` holds.
bool AdvanceUntil(TestAudio& audio, const std::function<bool()>& pred);

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

// Any reader under one set of names: IM2 and IX2 readers (CIm2, CIx2) and the IMG one (CImg)
// take the same requests under their own names.
class AnyReader {
public:
    virtual ~AnyReader() = default;
    virtual bool Open(const std::string& path) = 0;
    virtual void Close() = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void Pause(bool pause) = 0;
    virtual void Seek(std::int64_t ms) = 0;
    virtual void StartScan() = 0;
    virtual void StopScan() = 0;
    virtual bool IsPlaying() const = 0;
    virtual bool IsScanning() const = 0;
    virtual std::int64_t CounterMs() const = 0;   // to the end of the block the counter names
    virtual void Rewind() = 0;                    // IM2 and IX2 only
};

enum class Kind { Im2, Ix2Plain, Ix2Chain, Img8, Img5 };

// An image the synthesizer makes for a test, block k reported as index k, and what playing
// it must give back.
struct TestImage {
    Kind kind;
    synth::Im2Options audio;   // IM2, and the blocks of an IX2's split
    synth::ImgOptions img;     // IMG: record k + 1 is block k

    std::string Name() const;
    bool IsImg() const { return kind == Kind::Img8 || kind == Kind::Img5; }
    bool IsIx2() const { return kind == Kind::Ix2Plain || kind == Kind::Ix2Chain; }
    std::uint32_t Blocks() const { return IsImg() ? img.records : audio.blocks; }
    // Written into `dir`, the blocks named broken by a changed payload byte.
    std::string Write(const TempFolder& dir, const std::vector<std::uint32_t>& broken = {}) const;
    std::unique_ptr<AnyReader> MakeReader(const PlaybackSetup& setup) const;
    std::int64_t MsOfBlock(std::uint32_t k) const;   // where block k starts
    std::uint32_t PastTheEnd() const;                // the first block the file does not hold
    std::int32_t HeaderVerdicts() const;             // reported before block 0, as negative indices
    // What the device plays from block `first` to the end: the synthesizer's signal for
    // 16-bit samples, its own decoding of the image otherwise, in whole buffers.
    std::vector<std::uint8_t> HeardFrom(std::uint32_t first) const;
    std::uint8_t Silence() const;
};

// `blocks` blocks of 16-bit (or `storedBits` 8) samples, or IMG records.
TestImage ImageOf(Kind kind, std::uint32_t blocks, int storedBits = 16);
// IM2, plain and chain IX2, and both IMG codings.
std::vector<TestImage> EveryFormat(std::uint32_t blocks);

// The reader's worker and the test clock, for a test that drives a reader as a shell does.
class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override;
    std::unique_ptr<AnyReader> Reader(const TestImage& image);
    bool PlayToEnd(const AnyReader& reader);
    // Plays from where the reader stands: the blocks judged and the audio heard.
    void ExpectPlays(AnyReader& reader, const TestImage& image, std::uint32_t first);

    TestAudio m_audio;
    RecordingHooks m_hooks;
    TempFolder m_dir;
};

}  // namespace tvx::test

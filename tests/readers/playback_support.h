#pragma once

#include "audio/test_backend.h"
#include "core/block_status.h"
#include "formats/im2/im2.h"
#include "formats/img/img.h"
#include "formats/ix2/ix2.h"
#include "play/playback.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"
#include "test_support.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
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
struct VerdictLog {
    static void OnBlock(std::int32_t index, BlockStatus status);
    static void OnRecord(std::uint32_t index, std::uint32_t flags) { OnBlock(static_cast<std::int32_t>(index), flags); }
    static void ActAt(std::int32_t at, std::function<void()> act) {
        const std::lock_guard lock(s_lock);
        s_actAt = at;
        s_act = std::move(act);
    }
    static std::vector<Verdict> Take() {   // and empty the log
        const std::lock_guard lock(s_lock);
        return std::exchange(s_log, {});
    }
    static std::vector<std::int32_t> TakeIndices();
    static std::size_t Size() {
        const std::lock_guard lock(s_lock);
        return s_log.size();
    }

    static inline std::mutex s_lock;
    static inline std::vector<Verdict> s_log;
    static inline std::int32_t s_actAt = -100;
    static inline std::function<void()> s_act;
};

// Indices first..last, in order.
std::vector<std::int32_t> Blocks(std::int32_t first, std::int32_t last);

// Moves the test clock on until `pred` holds.
bool AdvanceUntil(TestAudio& audio, const std::function<bool()>& pred);

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
    std::string Write(const TempDir& dir, const std::vector<std::uint32_t>& broken = {}) const;
    std::int64_t MsOfBlock(std::uint32_t k) const;   // where block k starts
    std::uint32_t PastTheEnd() const;                // the first block the file does not hold
    std::int32_t HeaderVerdicts() const { return IsImg() ? 0 : IsIx2() ? 3 : 1; }   // before block 0
    // What the device plays from block `first` to the end, in whole 512-byte buffers (a
    // shorter tail waits for more): the synthesizer's signal for 16-bit samples, its own
    // decoding of the image otherwise.
    std::vector<std::uint8_t> HeardFrom(std::uint32_t first) const;
};

// Any reader under one set of names: the IM2 and IX2 readers (a CIx2 is a CIm2) and the IMG
// one take the same requests under their own names.
class AnyReader {
    template <typename Use>
    auto Each(Use use) const { return m_img ? use(*m_img) : use(*m_im2); }

public:
    AnyReader(const TestImage& image, const PlaybackSetup& setup);
    bool Open(const std::string& path) { return m_img ? m_img->Open(path) : m_im2->OpenFile(path); }
    void Close() { m_img ? m_img->Close() : void(m_im2->CloseFile()); }
    void Play() { Each([](auto& r) { r.Play(); }); }
    void Stop() { Each([](auto& r) { r.Stop(); }); }
    void Pause(bool pause) { Each([=](auto& r) { r.Pause(pause); }); }
    void Seek(std::int64_t ms) { m_img ? m_img->SeekToTime(static_cast<std::int32_t>(ms)) : void(m_im2->SeekMs(ms)); }
    void StartScan() { Each([](auto& r) { r.StartScan(); }); }
    void StopScan() { Each([](auto& r) { r.StopScan(); }); }
    bool IsPlaying() const { return Each([](auto& r) { return r.IsPlaying(); }); }
    bool IsScanning() const { return Each([](auto& r) { return r.IsScanning(); }); }
    void Rewind() { m_im2->Rewind(); }   // IM2 and IX2 only
    // To the end of the block the counter names; an IX2 counts from the split's first block.
    std::int64_t CounterMs() const {
        const auto* ix2 = dynamic_cast<const CIx2*>(m_im2.get());
        return m_img ? m_img->GetCounterTime() : ix2 ? ix2->SplitPlayedMsByCounter() : m_im2->PlayedMsByCounter();
    }

private:
    std::unique_ptr<CIm2> m_im2;
    std::unique_ptr<CImg> m_img;
};

// `blocks` blocks of 16-bit (or `storedBits` 8) samples, or IMG records.
TestImage ImageOf(Kind kind, std::uint32_t blocks, int storedBits = 16);
// IM2, plain and chain IX2, and both IMG codings.
std::vector<TestImage> EveryFormat(std::uint32_t blocks);

// The reader's worker and the test clock, for a test that drives a reader as a shell does.
class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        VerdictLog::Take();
        VerdictLog::ActAt(-100, {});
    }
    std::unique_ptr<AnyReader> Reader(const TestImage& image) {
        return std::make_unique<AnyReader>(image, PlaybackSetup{m_audio.Factory(), &m_hooks});
    }
    bool RunToEnd(const AnyReader& r) { return AdvanceUntil(m_audio, [&] { return !r.IsPlaying(); }); }
    bool PlayToEnd(AnyReader& r) { return r.Play(), RunToEnd(r); }
    bool ScanToEnd(AnyReader& r) { return r.StartScan(), Eventually([&] { return !r.IsScanning(); }); }
    // Plays until the device's 300 buffers are queued and the worker waits on it.
    bool PlayUntilFull(AnyReader& r) { return r.Play(), Eventually([&] { return m_audio.GetCounts().queued == 300; }); }
    // Runs `test(image, reader, path)` for each image, written (the blocks `broken` by a
    // changed byte) and opened by a fresh reader.
    template <typename Test>
    void ForEach(const std::vector<TestImage>& images, Test test, const std::vector<std::uint32_t>& broken = {}) {
        for (const TestImage& image : images) {
            SCOPED_TRACE(image.Name());
            auto reader = Reader(image);
            const std::string path = image.Write(m_dir, broken);
            ASSERT_TRUE(reader->Open(path));
            test(image, reader, path);
        }
    }
    // Plays from where the reader stands: the blocks judged and the audio heard.
    void ExpectPlays(AnyReader& reader, const TestImage& image, std::uint32_t first);

    TestAudio m_audio;
    RecordingHooks m_hooks;
    TempDir m_dir;
};

}  // namespace tvx::test

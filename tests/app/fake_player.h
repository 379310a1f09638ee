#pragma once

#include "core/format.h"
#include "formats/ix2/ix2_player.h"
#include "play/player.h"
#include "play/verdict_route.h"

#include <atomic>
#include <string>
#include <vector>

namespace tvx::app::testing {

// A reader without a worker: it answers from its fields and records the window's requests,
// so window tests run without threads or sound. The readers themselves are tested with
// their workers elsewhere.
class FakePlayer : public Player {
public:
    struct Setup {
        bool opens = true;
        bool headerBad = false;
        bool complete = true;
        std::uint64_t blocks = 100;
        std::int64_t blockMs = 64;
        std::int64_t fileMs = -1;   // what the file holds, when it differs from the total
        // Whether it was playing, at each CloseFile; outlives the reader.
        std::vector<bool>* closes = nullptr;
    };

    FakePlayer(ImageFormat format, Setup setup)
        : opens(setup.opens), m_format(format), m_setup(setup) {}

    bool JudgesHeader() const override { return m_format != ImageFormat::Img; }
    std::uint32_t StripExtra() const override {
        return m_format == ImageFormat::Ix2 ? 3 : m_format == ImageFormat::Img ? 0 : 1;
    }
    double BoostGain() const override { return m_format == ImageFormat::Img ? 2.0 : 3.0; }
    std::optional<std::string> OpenFailureText(const std::string& path) const override {
        if (m_format == ImageFormat::Img)
            return std::nullopt;
        return tvx::Format(m_format == ImageFormat::Ix2 ? kIx2OpenFailure : kIm2OpenFailure,
                           path.c_str());
    }

    bool OpenFile(const std::string& path) override {
        m_path = opens ? path : std::string();
        return opens;
    }
    void CloseFile() override {
        if (m_setup.closes != nullptr)
            m_setup.closes->push_back(playing);
        m_path.clear();
    }
    bool HasFile() const override { return !m_path.empty(); }
    bool IsHeaderBad() const override { return m_setup.headerBad; }
    bool IsComplete() const override { return m_setup.complete; }
    void Rewind() override { OnBlockResult(-1, 0); }

    std::uint64_t TotalBlocks() const override { return m_setup.blocks; }
    std::uint32_t FileBlocks() const override { return static_cast<std::uint32_t>(m_setup.blocks); }
    std::int64_t TotalMs() const override { return BlocksMs(m_setup.blocks); }
    std::string LengthText() const override {
        return m_format == ImageFormat::Ix2 ? FormatMs(TotalMs()) : WrappedLengthText(TotalMs());
    }
    std::int64_t FileMs() const override {
        return m_setup.fileMs < 0 ? TotalMs() : m_setup.fileMs;
    }
    std::int64_t SeekSpanMs() const override { return FileMs(); }
    std::int64_t OneBlockMs() const override { return m_setup.blockMs; }
    AuthDurations Durations(const TallyCounts& c) const override {
        return ComputeDurations(c, m_setup.blocks, TotalMs(),
                                [this](std::uint64_t n) { return BlocksMs(n); });
    }
    TimelineSpan Timeline() const override {
        return {true, COleDateTime(39521.0), COleDateTime(39521.0) + COleDateTimeSpan::FromMs(TotalMs()), {}};
    }
    PlayPosition Position() const override {
        return {COleDateTime(39521.0) + COleDateTimeSpan::FromMs(BlocksMs(block)), {},
                BlocksMs(block)};
    }
    std::int64_t PlayedMs() const override { return BlocksMs(block); }
    IdentityTexts Identity() const override { return PlainIdentity("QM-01234", 12); }
    std::string DateLine() const override { return Position().current.Format(kDateLineFormat); }
    DetailsFields Details() const override {
        return {"IM2", "QM-01234", "12", "8000", "1", "16", "Recording:\r\n"};
    }

    void Play() override { playing = true; requests.push_back("Play"); }
    void Pause(bool pause) override { requests.push_back(pause ? "Pause" : "Resume"); }
    void Stop() override { playing = false; block = 0; requests.push_back("Stop"); }
    void SeekMs(std::int64_t ms) override {
        block = static_cast<std::uint64_t>(ms / m_setup.blockMs);
        requests.push_back(tvx::Format("Seek %lld", static_cast<long long>(ms)));
    }
    bool IsSeekPending() const override { return false; }
    std::int64_t SeekableMs(std::int64_t ms) const override { return ms; }
    void StartScan() override { scanning = true; }
    void StopScan() override { scanning = false; }
    bool IsScanning() const override { return scanning; }
    bool IsPlaying() const override { return playing; }
    void SetGain(double gain) override { m_gain = gain; }
    double Gain() const override { return m_gain; }

    // What the test steers and reads.
    bool opens;
    std::atomic<bool> playing{false};
    std::atomic<bool> scanning{false};
    std::uint64_t block = 0;
    std::vector<std::string> requests;

private:
    std::int64_t BlocksMs(std::uint64_t n) const { return static_cast<std::int64_t>(n) * m_setup.blockMs; }

    ImageFormat m_format;
    Setup m_setup;
    std::string m_path;
    double m_gain = 1.0;
};

}  // namespace tvx::app::testing

#include "app/image_player_readers.h"

#include "readers/img.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace tvx::app {

namespace {

constexpr double kBoostGain = 2.0;

std::int32_t ClampMs(std::int64_t ms) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(ms, 0, std::numeric_limits<std::int32_t>::max()));
}

// IMG records carry no date and no header: a relative timeline, the play time as the date
// line, and neither header nor length judged.
class ImgPlayer final : public ImagePlayer {
public:
    ImgPlayer(const PlaybackSetup& setup, const VerdictCallbacks& callbacks)
        : m_pImg(std::make_unique<CImg>(setup)) {
        m_pImg->SetRecordCallback(callbacks.record);
    }

    ImageFormat Format() const override { return ImageFormat::Img; }

    bool OpenFile(const std::string& path) override {
        m_bOpen = m_pImg->Open(path);
        return m_bOpen;
    }
    void CloseFile() override {
        m_pImg->Close();
        m_bOpen = false;
    }
    bool HasFile() const override { return m_bOpen; }
    bool IsHeaderBad() const override { return false; }
    bool IsComplete() const override { return true; }
    std::uint32_t StripExtra() const override { return 0; }
    void Rewind() override {}   // no header records to report

    std::uint64_t TotalBlocks() const override { return m_pImg->m_nRecordCount; }
    std::int64_t TotalMs() const override { return m_pImg->GetLengthMs(); }
    std::int64_t FileMs() const override { return TotalMs(); }
    std::int64_t OneBlockMs() const override { return m_pImg->TimeOfRecord(1); }
    AuthDurations Durations(const TallyCounts& counts) const override {
        const CImg& r = *m_pImg;
        return ComputeDurations(counts, TotalBlocks(), TotalMs(), [&r](std::uint64_t n) {
            return r.TimeOfRecord(static_cast<std::int64_t>(n));
        });
    }
    TimelineSpan Timeline() const override { return {false, {}, {}, m_pImg->GetLength()}; }

    PlayPosition Position() const override {
        return {{}, COleDateTimeSpan::FromMs(m_pImg->GetPlayTime()), m_pImg->GetCounterTime()};
    }
    std::int64_t PlayedMs() const override { return m_pImg->GetPlayTime(); }
    IdentityTexts Identity() const override {
        return ImgIdentity(m_pImg->m_nRefUnitId, m_pImg->m_nRefFileNumber);
    }
    std::string DateLine() const override { return ElapsedText(m_pImg->GetPlayTime()); }
    DetailsFields Details() const override { return ImgDetails(*m_pImg); }

    void Play() override { m_pImg->Play(); }
    void Pause(bool pause) override { m_pImg->Pause(pause); }
    void Stop() override { m_pImg->Stop(); }
    void SeekMs(std::int64_t ms) override { m_pImg->SeekToTime(ClampMs(ms)); }
    void StartScan() override { m_pImg->StartScan(); }
    void StopScan() override { m_pImg->StopScan(); }
    bool IsScanning() const override { return m_pImg->IsScanning(); }
    bool IsPlaying() const override { return m_pImg->IsPlaying(); }
    void SetGain(double gain) override {
        m_pImg->SetGain(gain);
        m_gain = gain;
    }
    double Gain() const override { return m_gain; }
    double BoostGain() const override { return kBoostGain; }

private:
    std::unique_ptr<CImg> m_pImg;
    bool m_bOpen = false;
    double m_gain = 1.0;   // as asked: the worker keeps its own copy
};

}  // namespace

std::unique_ptr<ImagePlayer> MakeImgPlayer(const PlaybackSetup& setup,
                                           const VerdictCallbacks& callbacks) {
    return std::make_unique<ImgPlayer>(setup, callbacks);
}

}  // namespace tvx::app

#pragma once

#include "formats/img/img.h"
#include "formats/img/img_details.h"
#include "play/player.h"

namespace tvx {

// IMG records carry no date and no header: a relative timeline, the play time as the date
// line, and neither header nor length judged.
class ImgPlayer final : public Player {
public:
    explicit ImgPlayer(const PlaybackSetup& setup);

    bool JudgesHeader() const override { return false; }
    std::uint32_t StripExtra() const override { return 0; }
    double BoostGain() const override { return 2.0; }
    // The reader says why itself, through the hooks.
    std::optional<std::string> OpenFailureText(const std::string&) const override { return {}; }

    bool OpenFile(const std::string& path) override;
    void CloseFile() override;
    bool HasFile() const override { return m_bOpen; }
    bool IsHeaderBad() const override { return false; }
    bool IsComplete() const override { return true; }
    void Rewind() override {}   // no header records to report

    std::uint64_t TotalBlocks() const override { return m_img.m_nRecordCount; }
    std::uint32_t FileBlocks() const override { return m_img.m_nRecordCount; }
    std::int64_t TotalMs() const override { return m_img.GetLengthMs(); }
    std::string LengthText() const override { return WrappedLengthText(TotalMs()); }
    std::int64_t FileMs() const override { return TotalMs(); }
    std::int64_t SeekSpanMs() const override { return TotalMs(); }
    std::int64_t OneBlockMs() const override { return m_img.TimeOfRecord(1); }
    std::int64_t RecordStartMs(std::int64_t index) const override { return m_img.TimeOfRecord(index); }
    AuthDurations Durations(const TallyCounts& counts) const override;
    TimelineSpan Timeline() const override { return {false, {}, {}, m_img.GetLength()}; }

    PlayPosition Position() const override;
    std::int64_t PlayedMs() const override { return m_img.GetPlayTime(); }
    IdentityTexts Identity() const override;
    std::string DateLine() const override { return ElapsedText(m_img.GetPlayTime()); }
    DetailsFields Details() const override { return ImgDetails(m_img); }

    void Play() override { m_img.Play(); }
    void Pause(bool pause) override { m_img.Pause(pause); }
    void Stop() override { m_img.Stop(); }
    void SeekMs(std::int64_t ms) override;
    bool IsSeekPending() const override { return m_img.IsSeekPending(); }
    std::int64_t SeekableMs(std::int64_t ms) const override;
    void StartScan() override { m_img.StartScan(); }
    void StopScan() override { m_img.StopScan(); }
    bool IsScanning() const override { return m_img.IsScanning(); }
    bool IsPlaying() const override { return m_img.IsPlaying(); }
    void SetGain(double gain) override;
    double Gain() const override { return m_gain; }

private:
    CImg m_img;
    bool m_bOpen = false;
    double m_gain = 1.0;   // as asked: the worker keeps its own copy
};

}  // namespace tvx

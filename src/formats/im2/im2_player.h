#pragma once

#include "formats/im2/im2.h"
#include "formats/im2/im2_details.h"
#include "play/player.h"

#include <memory>

namespace tvx {

// IM2's open failure, in the IM2 reader's own words (two blanks after the dash).
inline constexpr const char* kIm2OpenFailure =
    "Error -  Failed to open the file:\n\n%s\n\nPlease ensure that it is not in use\n"
    "by another program.";

// An image read by the IM2 rules: its reader is a CIm2, or a CIx2 whose file's name ends in
// IM2, which holds only the IM2 values and shows those. The IX2 player shares the requests.
class Im2Player : public Player {
public:
    // `openFailure`: how the reader says it could not open, with one %s for the path.
    Im2Player(std::unique_ptr<CIm2> reader, const char* openFailure);

    bool JudgesHeader() const override { return true; }
    std::uint32_t StripExtra() const override { return 1; }
    double BoostGain() const override { return 3.0; }
    std::optional<std::string> OpenFailureText(const std::string& path) const override;

    bool OpenFile(const std::string& path) override;
    void CloseFile() override;
    bool HasFile() const override { return m_bOpen; }
    bool IsHeaderBad() const override { return m_pIm2->m_bHeaderBad; }
    bool IsComplete() const override { return m_pIm2->IsComplete(); }
    void Rewind() override { m_pIm2->Rewind(); }

    std::uint64_t TotalBlocks() const override { return m_pIm2->m_nStatedBlocks; }
    std::uint32_t FileBlocks() const override { return m_pIm2->m_nFileBlocks; }
    std::int64_t TotalMs() const override { return m_pIm2->StatedMs(); }
    std::string LengthText() const override { return WrappedLengthText(TotalMs()); }
    std::int64_t FileMs() const override { return m_pIm2->FileMs(); }
    std::int64_t SeekSpanMs() const override { return m_pIm2->StatedMs(); }
    std::int64_t OneBlockMs() const override { return m_pIm2->BlocksToMs(1); }
    std::int64_t RecordStartMs(std::int64_t index) const override {
        return index < 0 ? 0 : m_pIm2->BlocksToMs(static_cast<std::uint64_t>(index));
    }
    AuthDurations Durations(const TallyCounts& counts) const override;
    TimelineSpan Timeline() const override;

    PlayPosition Position() const override;
    std::int64_t PlayedMs() const override { return m_pIm2->PlayedMs(); }
    IdentityTexts Identity() const override;
    std::string DateLine() const override { return Position().current.Format(kDateLineFormat); }
    DetailsFields Details() const override { return Im2Details(*m_pIm2); }

    void Play() override { m_pIm2->Play(); }
    void Pause(bool pause) override { m_pIm2->Pause(pause); }
    void Stop() override { m_pIm2->Stop(); }
    void SeekMs(std::int64_t ms) override { m_pIm2->SeekMs(ms); }
    bool IsSeekPending() const override { return m_pIm2->IsSeekPending(); }
    std::int64_t SeekableMs(std::int64_t ms) const override;
    void StartScan() override { m_pIm2->StartScan(); }
    void StopScan() override { m_pIm2->StopScan(); }
    bool IsScanning() const override { return m_pIm2->IsScanning(); }
    bool IsPlaying() const override { return m_pIm2->IsPlaying(); }
    void SetGain(double gain) override;
    double Gain() const override { return m_gain; }

protected:
    CIm2& Reader() const { return *m_pIm2; }

private:
    std::unique_ptr<CIm2> m_pIm2;
    const char* m_openFailure;
    bool m_bOpen = false;
    double m_gain = 1.0;   // as asked: the worker keeps its own copy
};

}  // namespace tvx

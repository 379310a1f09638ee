#include "app/image_player_readers.h"

#include "readers/ix2.h"

#include <memory>

namespace tvx::app {

namespace {

constexpr double kBoostGain = 3.0;

// IM2 and IX2 share the reader and its requests; an IX2 reader counts its split instead of
// the recording, and a chain's reader shows the outer image's identity beside its own. An IX2
// reader that reads its file by the IM2 rules holds only the IM2 values, and shows those.
class Im2Player final : public ImagePlayer {
public:
    Im2Player(ImageKind kind, const PlaybackSetup& setup, const VerdictCallbacks& callbacks) {
        if (kind.searched == ImageFormat::Ix2) {
            auto ix2 = std::make_unique<CIx2>(setup);
            if (kind.rules == ImageFormat::Ix2)
                m_pIx2 = ix2.get();
            m_pIm2 = std::move(ix2);
        } else {
            m_pIm2 = std::make_unique<CIm2>(setup);
        }
        m_pIm2->SetBlockCallback(callbacks.block);
    }

    ImageFormat Format() const override { return m_pIx2 ? ImageFormat::Ix2 : ImageFormat::Im2; }

    bool OpenFile(const std::string& path) override {
        m_bOpen = m_pIm2->OpenFile(path);
        return m_bOpen;
    }
    void CloseFile() override {
        m_pIm2->CloseFile();
        m_bOpen = false;
    }
    bool HasFile() const override { return m_bOpen; }
    bool IsHeaderBad() const override { return m_pIm2->m_bHeaderBad; }
    bool IsComplete() const override { return m_pIm2->IsComplete(); }
    std::uint32_t StripExtra() const override { return m_pIx2 ? 3 : 1; }
    void Rewind() override { m_pIm2->Rewind(); }

    std::uint64_t TotalBlocks() const override {
        return m_pIx2 ? m_pIx2->m_nSplitBlocks : m_pIm2->m_nStatedBlocks;
    }
    std::int64_t TotalMs() const override {
        return m_pIx2 ? m_pIx2->SplitMs() : m_pIm2->StatedMs();
    }
    std::int64_t FileMs() const override { return m_pIx2 ? m_pIx2->FileMs() : m_pIm2->StatedMs(); }
    std::int64_t OneBlockMs() const override { return m_pIm2->BlocksToMs(1); }
    AuthDurations Durations(const TallyCounts& counts) const override {
        const CIm2& r = *m_pIm2;
        return ComputeDurations(counts, TotalBlocks(), TotalMs(),
                                [&r](std::uint64_t n) { return r.BlocksToMs(n); });
    }
    TimelineSpan Timeline() const override {
        const COleDateTime start = m_pIx2 ? m_pIx2->SplitStartTime() : m_pIm2->StartTime();
        return {true, start, start + COleDateTimeSpan::FromMs(TotalMs()), {}};
    }

    PlayPosition Position() const override {
        if (m_pIx2)
            return {m_pIx2->SplitPositionTime(), {}, m_pIx2->SplitPlayedMsByCounter()};
        return {m_pIm2->PositionTime(), {}, m_pIm2->PlayedMsByCounter()};
    }
    std::int64_t PlayedMs() const override {
        return m_pIx2 ? m_pIx2->SplitPlayedMs() : m_pIm2->PlayedMs();
    }
    IdentityTexts Identity() const override {
        if (m_pIx2 && m_pIx2->HasSplitIndex())
            return ChainIdentity(m_pIx2->GetUnitId(), m_pIx2->GetFileNumber(),
                                 m_pIx2->m_strSnapUnitId, m_pIx2->m_nSnapFileNumber);
        return PlainIdentity(m_pIm2->GetUnitId(), m_pIm2->GetFileNumber());
    }
    std::string DateLine() const override { return Position().current.Format(kDateLineFormat); }
    DetailsFields Details() const override {
        return m_pIx2 ? Ix2Details(*m_pIx2) : Im2Details(*m_pIm2);
    }

    void Play() override { m_pIm2->Play(); }
    void Pause(bool pause) override { m_pIm2->Pause(pause); }
    void Stop() override { m_pIm2->Stop(); }
    void SeekMs(std::int64_t ms) override { m_pIm2->SeekMs(ms); }
    void StartScan() override { m_pIm2->StartScan(); }
    void StopScan() override { m_pIm2->StopScan(); }
    bool IsScanning() const override { return m_pIm2->IsScanning(); }
    bool IsPlaying() const override { return m_pIm2->IsPlaying(); }
    void SetGain(double gain) override {
        m_pIm2->SetGain(gain);
        m_gain = gain;
    }
    double Gain() const override { return m_gain; }
    double BoostGain() const override { return kBoostGain; }

private:
    std::unique_ptr<CIm2> m_pIm2;
    CIx2* m_pIx2 = nullptr;   // the same reader, when it reads by the IX2 rules
    bool m_bOpen = false;
    double m_gain = 1.0;   // as asked: the worker keeps its own copy
};

}  // namespace

std::unique_ptr<ImagePlayer> MakeIm2Player(ImageKind kind, const PlaybackSetup& setup,
                                           const VerdictCallbacks& callbacks) {
    return std::make_unique<Im2Player>(kind, setup, callbacks);
}

}  // namespace tvx::app

#include "formats/im2/im2_player.h"

#include "core/format.h"
#include "play/seekable_ms.h"
#include "play/verdict_route.h"

namespace tvx {

Im2Player::Im2Player(std::unique_ptr<CIm2> reader, const char* openFailure)
    : m_pIm2(std::move(reader)), m_openFailure(openFailure) {
    m_pIm2->SetBlockCallback(&OnBlockResult);
}

std::optional<std::string> Im2Player::OpenFailureText(const std::string& path) const {
    return Format(m_openFailure, path.c_str());
}

bool Im2Player::OpenFile(const std::string& path) {
    m_bOpen = m_pIm2->OpenFile(path);
    return m_bOpen;
}

void Im2Player::CloseFile() {
    m_pIm2->CloseFile();
    m_bOpen = false;
}

AuthDurations Im2Player::Durations(const TallyCounts& counts) const {
    const CIm2& r = *m_pIm2;
    return ComputeDurations(counts, TotalBlocks(), TotalMs(),
                            [&r](std::uint64_t n) { return r.BlocksToMs(n); });
}

TimelineSpan Im2Player::Timeline() const {
    const COleDateTime start = m_pIm2->StartTime();
    return {true, start, start + COleDateTimeSpan::FromMs(TotalMs()), {}};
}

PlayPosition Im2Player::Position() const {
    return {m_pIm2->PositionTime(), {}, m_pIm2->PlayedMsByCounter()};
}

IdentityTexts Im2Player::Identity() const {
    return PlainIdentity(m_pIm2->GetUnitId(), m_pIm2->GetFileNumber());
}

std::int64_t Im2Player::SeekableMs(std::int64_t ms) const {
    const std::int64_t last = std::int64_t{m_pIm2->m_nFileBlocks} - 1;
    return LatestSeekableMs(ms, last, [this](std::int64_t t) { return m_pIm2->MsToBlock(t); });
}

void Im2Player::SetGain(double gain) {
    m_pIm2->SetGain(gain);
    m_gain = gain;
}

}  // namespace tvx

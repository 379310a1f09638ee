#include "formats/ix2/ix2_player.h"

namespace tvx {

Ix2Player::Ix2Player(const PlaybackSetup& setup)
    : Im2Player(std::make_unique<CIx2>(setup), kIx2OpenFailure),
      m_ix2(static_cast<CIx2&>(Reader())) {}

TimelineSpan Ix2Player::Timeline() const {
    const COleDateTime start = m_ix2.SplitStartTime();
    return {true, start, start + COleDateTimeSpan::FromMs(TotalMs()), {}};
}

PlayPosition Ix2Player::Position() const {
    return {m_ix2.SplitPositionTime(), {}, m_ix2.SplitPlayedMsByCounter()};
}

IdentityTexts Ix2Player::Identity() const {
    if (!m_ix2.HasSplitIndex())
        return Im2Player::Identity();
    return ChainIdentity(m_ix2.GetUnitId(), m_ix2.GetFileNumber(), m_ix2.m_strSnapUnitId,
                         m_ix2.m_nSnapFileNumber);
}

}  // namespace tvx

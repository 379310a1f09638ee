#include "formats/img/img_player.h"

#include "play/seekable_ms.h"
#include "play/verdict_route.h"

#include <algorithm>
#include <limits>

namespace tvx {

namespace {

// The reader takes its seeks in 32-bit milliseconds.
constexpr std::int64_t kLatestMs = std::numeric_limits<std::int32_t>::max();

}  // namespace

ImgPlayer::ImgPlayer(const PlaybackSetup& setup) : m_img(setup) {
    m_img.SetRecordCallback(&OnRecordResult);
}

bool ImgPlayer::OpenFile(const std::string& path) {
    m_bOpen = m_img.Open(path);
    return m_bOpen;
}

void ImgPlayer::CloseFile() {
    m_img.Close();
    m_bOpen = false;
}

AuthDurations ImgPlayer::Durations(const TallyCounts& counts) const {
    return ComputeDurations(counts, TotalBlocks(), TotalMs(), [this](std::uint64_t n) {
        return m_img.TimeOfRecord(static_cast<std::int64_t>(n));
    });
}

PlayPosition ImgPlayer::Position() const {
    return {{}, COleDateTimeSpan::FromMs(m_img.GetPlayTime()), m_img.GetCounterTime()};
}

IdentityTexts ImgPlayer::Identity() const {
    return ImgIdentity(m_img.m_nRefUnitId, m_img.m_nRefFileNumber);
}

void ImgPlayer::SeekMs(std::int64_t ms) {
    m_img.SeekToTime(static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, 0, kLatestMs)));
}

std::int64_t ImgPlayer::SeekableMs(std::int64_t ms) const {
    const std::int64_t last = m_img.m_nRecordCount;   // records count from 1
    return LatestSeekableMs(std::min(ms, kLatestMs), last,
                            [this](std::int64_t t) { return m_img.RecordAtTime(t); });
}

void ImgPlayer::SetGain(double gain) {
    m_img.SetGain(gain);
    m_gain = gain;
}

}  // namespace tvx

#include "app/sable_player_dlg.h"

#include "audio/output_volume.h"
#include "controls/image_button.h"
#include "controls/system_look.h"
#include "controls/text.h"
#include "controls/time_line.h"
#include "controls/wave_view.h"

#include <QCheckBox>
#include <QThread>

#include <cmath>

namespace tvx::app {

namespace {

// The worker acts on a seek at its next cycle; give it that before reading the position.
constexpr unsigned long kSeekSettleMs = 30;

}  // namespace

std::uint8_t g_nSpin = 0;

void CSablePlayerDlg::OnPlay() {
    if (!HasImage())
        return;
    m_player->Play();
    m_player->Pause(false);   // resumes a paused device
    m_bPlaying = true;
    m_bPaused = false;
    SetTransport(Transport::Playing);
    m_timer1.start(static_cast<int>(std::max<std::int64_t>(m_player->OneBlockMs(), 1)));
}

void CSablePlayerDlg::OnPause() {
    if (HasImage() && m_bPlaying) {
        m_bPaused = !m_bPaused;
        m_player->Pause(m_bPaused);
        SetTransport(m_bPaused ? Transport::Paused : Transport::Playing);
        if (m_bPaused)
            m_status->Enable(false);
    }
    update();
}

void CSablePlayerDlg::OnStop() {
    // A stop request costs the window 50 ms while the worker acts; a reader that is not
    // playing has nothing to stop.
    if (m_player && m_player->IsPlaying())
        m_player->Stop();
    m_bPlaying = false;
    m_bPaused = false;
    if (m_transport != Transport::Empty)
        SetTransport(Transport::Stopped);
    m_waveView->SetPosition(0.0);
    m_standMs = 0;
    ForgetWalk();
    // Timer 1 runs on: its next tick finds playback ended and stops the spinners.
}

void CSablePlayerDlg::OnBackTrack() {
    ForgetWalk();
    OnSeekMs(0);
    m_waveView->SetPosition(0.0);
    RefreshControls();
}

void CSablePlayerDlg::OnSeek(double fraction) {
    if (!HasImage())
        return;
    ForgetWalk();
    OnSeekMs(static_cast<std::int64_t>(fraction * static_cast<double>(m_player->SeekSpanMs())));
    if (!m_bPlaying)
        m_waveView->SetPosition(fraction);
    RefreshControls();
}

void CSablePlayerDlg::OnSeekMs(std::int64_t ms) {
    if (!HasImage())
        return;
    m_player->SeekMs(ms);
    m_standMs = ms;
    QThread::msleep(kSeekSettleMs);
    ShowPosition();
    RefreshIdentity();
}

void CSablePlayerDlg::OnBoost(bool checked) {
    m_bBoost = checked;
    if (!HasImage())
        return;
    m_player->SetGain(checked ? m_player->BoostGain() : 1.0);
    // From where it plays now, so the new gain is heard at once.
    m_player->SeekMs(m_player->PlayedMs());
}

void CSablePlayerDlg::OnVolume(int position) {
    SetOutputVolume(static_cast<std::uint32_t>(position) * 0x10001u);   // both sides alike
}

void CSablePlayerDlg::OnPlaybackTick() {
    if (!m_player)
        return;
    const std::int64_t total = m_player->TotalMs();
    const PlayPosition position = m_player->Position();
    m_waveView->SetPosition(total > 0 ? static_cast<double>(position.counterMs) /
                                            static_cast<double>(total)
                                      : 0.0);
    ShowPosition();
    UpdateResults();
    RefreshIdentity();
    if (!m_bPaused)
        Spin();
    SyncStatusLine();
    if (!m_player->IsPlaying()) {
        // The worker played to the end (or was stopped) and went back to the start.
        m_status->Enable(false);
        m_bPlaying = false;
        m_bPaused = false;
        SetTransport(Transport::Stopped);
        m_timer1.stop();
        ClearSpinners();
        m_standMs = 0;
        ForgetWalk();
    }
    RefreshControls();
}

void CSablePlayerDlg::Spin() {
    static constexpr char kSpinner[] = "\\|/-";
    ++g_nSpin;
    m_strSpin1 = m_strSpin2 = QString(QChar(kSpinner[g_nSpin % 4]));
}

void CSablePlayerDlg::ShowPosition() {
    if (!m_player)
        return;
    const PlayPosition position = m_player->Position();
    m_strDate = QString::fromStdString(m_player->DateLine());
    if (m_timeLine->IsAbsolute())
        m_timeLine->SetCurrentTime(position.current);
    else
        m_timeLine->SetPosition(position.elapsed);
}

void CSablePlayerDlg::RefreshIdentity() {
    if (m_player)
        m_identity = m_player->Identity();
}

void CSablePlayerDlg::UpdateResults() {
    if (!m_player)
        return;
    CollectRuns();
    const TallyCounts counts = m_tally.GetCounts();
    const std::string duration = m_results.duration;   // set at load, as it was shown
    m_results = TickTexts(m_player->Durations(counts), counts);
    m_results.duration = duration;
}

void CSablePlayerDlg::SyncStatusLine() {
    const std::uint32_t writes = m_tally.StatusEnableWrites();
    const std::uint32_t colour = m_tally.GetStatusColour();
    const bool written = writes != m_seenStatusWrites;
    if (colour != m_seenStatusColour || written) {
        m_seenStatusColour = colour;
        m_status->SetTextColour(FromColorRef(colour));
    }
    if (written) {
        m_seenStatusWrites = writes;
        m_status->Enable(m_tally.IsStatusEnabled());
    }
}

}  // namespace tvx::app

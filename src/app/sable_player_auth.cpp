#include "app/sable_player_dlg.h"

#include "analysis/authenticate.h"
#include "app/gui_hooks.h"
#include "app/wait_dlg.h"
#include "controls/text.h"
#include "controls/wave_view.h"

#include <algorithm>
#include <limits>

namespace tvx::app {

namespace {

constexpr int kAuthTickMs = 10;
// The tick keeps its 10 ms so that Cancel and the end of the scan are seen at once; the
// texts, which no eye reads faster, are redrawn on every fourth, leaving the processor to
// the scan.
constexpr unsigned kTicksPerDisplay = 4;

}  // namespace

void CSablePlayerDlg::OnAuthenticationCommand() {
    if (!HasImage())
        return;
    OnStop();
    if (!m_bAuthBusy) {
        m_bAuthBusy = true;
        BeginBusy();
    }
    m_tally.Reset();
    m_player->StartScan();
    m_pWaitDlg->SetRange(ProgressValue(m_player->SeekSpanMs()));
    m_pWaitDlg->SetPos(0);
    m_pWaitDlg->SetText("Authenticating...");
    m_hooks->ShowProgress(true);
    m_authTicks = 0;
    m_timer2.start(kAuthTickMs);
}

void CSablePlayerDlg::OnAuthenticationTick() {
    if (!m_player) {
        RefreshControls();
        return;
    }
    const bool running = m_player->IsScanning() && !m_pWaitDlg->m_bCancel;
    if (running && ++m_authTicks % kTicksPerDisplay != 0)
        return;
    ShowPosition();
    m_pWaitDlg->SetPos(ProgressValue(m_player->Position().counterMs));
    UpdateResults();
    RefreshIdentity();
    Spin();
    SyncStatusLine();
    if (running) {
        RefreshControls();
        return;
    }
    m_status->Enable(false);
    SetTransport(Transport::Stopped);
    m_hooks->ShowProgress(false);
    m_player->StopScan();
    m_timer2.stop();
    EndAuthRun();
    ClearSpinners();
    // The last verdicts came before the scan said it was done: count them in.
    UpdateResults();
    RefreshControls();
}

void CSablePlayerDlg::EndAuthRun() {
    if (!m_bAuthBusy)
        return;
    m_bAuthBusy = false;
    EndBusy();
}

}  // namespace tvx::app

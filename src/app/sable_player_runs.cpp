#include "app/sable_player_dlg.h"

#include "app/dialog_template.h"
#include "app/irregular_blocks_dlg.h"
#include "controls/system_look.h"
#include "controls/text.h"
#include "controls/wave_view.h"
#include "core/format.h"

#include <QAction>

#include <algorithm>

namespace tvx::app {

namespace {

// "Irregular 3 of 12: blocks 900-901, Sequence / Timing"
QString RunStatusText(std::size_t run, std::size_t runs, const IrregularRun& r) {
    return QString::fromStdString(Format("Irregular %zu of %zu: %s, %s", run + 1, runs,
                                         RunBlocksText(r).c_str(), CauseWords(r.status).c_str()));
}

}  // namespace

// Called wherever the window reads the tally, so the runs fill while a run or playback goes on.
void CSablePlayerDlg::CollectRuns() {
    IrregularNews news = m_tally.TakeIrregular();
    std::optional<std::size_t> from;
    if (news.restarted) {
        m_runs = {};
        m_walk.Forget();
        from = 0;
    }
    if (m_player) {
        for (IrregularRun run : news.runs.Runs()) {
            run.startMs = m_player->RecordStartMs(run.first);
            run.endMs = run.first < 0 ? 0 : m_player->RecordStartMs(std::int64_t{run.last} + 1);
            const std::size_t at = m_runs.Add(run);
            from = std::min(from.value_or(at), at);
        }
    }
    if (!from || !m_runsModel)
        return;
    std::optional<COleDateTime> clockStart;
    if (m_player && m_player->Timeline().absolute)
        clockStart = m_player->Timeline().start;
    m_runsModel->Changed(*from, clockStart);
}

void CSablePlayerDlg::OnIrregularBlocks() {
    if (!m_blocksDlg) {
        m_runsModel = std::make_unique<IrregularRunsModel>(m_runs.Runs());
        m_blocksDlg = new CIrregularBlocksDlg(*m_runsModel, this);
        connect(m_blocksDlg, &CIrregularBlocksDlg::RunChosen, this, &CSablePlayerDlg::GoToRun);
        // The walk and the transport keys work from the table too.
        for (int command : {id::kNextRun, id::kPreviousRun, id::kPlayPause, id::kStopCommand})
            m_blocksDlg->addAction(MenuCommand(command));
    }
    CollectRuns();
    m_runsModel->Changed(0, m_player && m_player->Timeline().absolute
                                ? std::optional(m_player->Timeline().start)
                                : std::nullopt);
    m_blocksDlg->show();
    m_blocksDlg->raise();
}

void CSablePlayerDlg::OnNextRun() { StepToRun(true); }
void CSablePlayerDlg::OnPreviousRun() { StepToRun(false); }

void CSablePlayerDlg::StepToRun(bool forward) {
    if (!HasImage() || IsBusy())
        return;
    CollectRuns();
    const std::int64_t played = m_bPlaying ? m_player->PlayedMs() : m_standMs;
    const std::optional<std::size_t> run = forward ? m_walk.Next(m_runs.Runs(), played)
                                                   : m_walk.Previous(m_runs.Runs(), played);
    if (!run) {
        m_status->SetText(forward ? "No irregular block found after here"
                                  : "No irregular block found before here");
        return;
    }
    GoToRun(*run);
}

void CSablePlayerDlg::GoToRun(std::size_t run) {
    // The table stays open during a run, whose reader must not seek.
    if (!HasImage() || IsBusy() || run >= m_runs.Runs().size())
        return;
    const IrregularRun& r = m_runs.Runs()[run];
    m_walk.StandAt(run);
    OnSeekMs(r.startMs);
    const std::int64_t span = m_player->SeekSpanMs();
    if (!m_bPlaying && span > 0)
        m_waveView->SetPosition(static_cast<double>(r.startMs) / static_cast<double>(span));
    m_status->SetText(RunStatusText(run, m_runs.Runs().size(), r));
    m_status->Enable(true);
    RefreshControls();
}

void CSablePlayerDlg::ForgetWalk() {
    m_walk.Forget();
    if (m_player && m_player->HasFile())
        m_status->SetText(QString::fromStdString(StatusLineText(m_player->OneBlockMs())));
}

}  // namespace tvx::app

#include "app/sable_player_dlg.h"

#include "app/gui_hooks.h"
#include "app/wait_dlg.h"
#include "controls/image_static.h"
#include "controls/text.h"
#include "controls/time_line.h"
#include "controls/wave_view.h"
#include "core/format.h"
#include "core/string_table.h"
#include "formats/home_of.h"

#include <QFile>
#include <QFileInfo>

namespace tvx::app {

namespace {

constexpr const char* kFileLoad = "File Load";
constexpr std::uint32_t kBitmapSound = 165;
constexpr std::uint32_t kBitmapFaulty = 166;
constexpr std::uint32_t kBitmapNotJudged = 167;

// What an icon says, in the command-line tool's words; 0 is no icon.
QString VerdictTip(bool header, std::uint32_t bitmap) {
    const QString label = header ? "File Header: " : "File Length: ";
    switch (bitmap) {
    case kBitmapSound: return label + (header ? "sound" : "complete");
    case kBitmapFaulty: return label + (header ? "faulty" : "faulty (incomplete)");
    case kBitmapNotJudged: return label + "not judged";
    default: return label + "no image loaded";
    }
}

}  // namespace

void CSablePlayerDlg::SetVerdictIcon(CImageStatic* icon, std::uint32_t bitmap) {
    if (bitmap == 0)
        icon->ClearBitmap();
    else
        icon->SetBitmap(bitmap);
    icon->setToolTip(VerdictTip(icon == m_headerIcon, bitmap));
}

bool CSablePlayerDlg::LoadRecording(const QString& path) {
    const BusyScope busy(*this);
    OnStop();
    DeleteReader();
    m_timer2.stop();
    EndAuthRun();
    const std::string local = QFile::encodeName(path).toStdString();
    const ImageKind kind = FormatOf(local);
    if (!kind.IsImage())
        return false;
    m_nFileType = kind.searched;
    m_readAs = kind.rules;
    m_pWaitDlg->hide();
    // The path stays as given: upper-casing it would name another file here.
    m_strPathName = path;
    setWindowTitle(QStringLiteral("Tessivox - ") + QFileInfo(path).fileName());
    // Made now to know its format's load, but the window takes it only once the peaks pass
    // is over: the reader stands idle until it is asked to open.
    std::unique_ptr<tvx::Player> player = m_makePlayer(kind, *m_hooks);
    if (player->JudgesHeader())
        return LoadWithHeader(local, std::move(player));
    return LoadImg(local, std::move(player));
}

bool CSablePlayerDlg::LoadWithHeader(const std::string& path,
                                     std::unique_ptr<tvx::Player> player) {
    SetVerdictIcon(m_headerIcon, 0);
    SetVerdictIcon(m_lengthIcon, 0);
    m_tally.Allocate(0, 0);
    update();
    const std::uint32_t blocks = BuildPeaks();
    m_tally.Reset();

    m_player = std::move(player);
    if (!m_player->OpenFile(path)) {
        TellOpenFailure(path);
        DeleteReader();
        return false;
    }
    if (m_player->IsHeaderBad()) {
        if (!AskYesNo(kFileLoad, LoadString(150))) {
            DeleteReader();
            return false;
        }
        SetVerdictIcon(m_headerIcon, kBitmapFaulty);
    } else {
        SetVerdictIcon(m_headerIcon, kBitmapSound);
    }
    SetVerdictIcon(m_lengthIcon, m_player->IsComplete() ? kBitmapSound : kBitmapFaulty);
    if (!m_tally.Allocate(blocks, m_player->StripExtra())) {
        Tell(kFileLoad, LoadString(152), Icon::Exclamation);
        DeleteReader();
        return false;
    }
    FinishLoad();
    // The header records are judged as soon as the image is open.
    m_player->Rewind();
    UpdateResults();
    return true;
}

bool CSablePlayerDlg::LoadImg(const std::string& path, std::unique_ptr<tvx::Player> player) {
    update();
    const std::uint32_t blocks = BuildPeaks();
    m_tally.Allocate(blocks, player->StripExtra());
    m_tally.Reset();
    m_player = std::move(player);
    // IMG records carry no header or stated length to judge.
    SetVerdictIcon(m_headerIcon, kBitmapNotJudged);
    SetVerdictIcon(m_lengthIcon, kBitmapNotJudged);
    if (!m_player->OpenFile(path)) {
        // A file without one whole record has nothing to show.
        TellOpenFailure(path);
        DeleteReader();
        return false;
    }
    FinishLoad();
    return true;
}

// The part of a load every format shares once its reader is open.
void CSablePlayerDlg::FinishLoad() {
    if (m_bBoost)
        m_player->SetGain(m_player->BoostGain());
    m_results = LoadTexts(m_player->LengthText());
    m_status->SetText(QString::fromStdString(StatusLineText(m_player->OneBlockMs())));
    SetTransport(Transport::Stopped);
    const TimelineSpan span = m_player->Timeline();
    if (span.absolute) {
        m_timeLine->SetStartTime(span.start);
        m_timeLine->SetEndTime(span.end);
    } else {
        m_timeLine->SetLength(span.length);
    }
    m_waveView->SetPosition(0.0);
    ShowPosition();
    RefreshIdentity();
    RefreshControls();
}

void CSablePlayerDlg::AfterReopen(bool reopened) {
    if (reopened) {
        m_waveView->SetPosition(0.0);
        ShowPosition();
        RefreshIdentity();
        RefreshControls();
        return;
    }
    TellOpenFailure(QFile::encodeName(m_strPathName).toStdString());
    DeleteReader();
    Reset();
}

void CSablePlayerDlg::TellOpenFailure(const std::string& path) {
    // Some readers have said so themselves.
    if (!m_player)
        return;
    if (const std::optional<std::string> text = m_player->OpenFailureText(path))
        Tell(kFileLoad, QString::fromStdString(*text), Icon::Exclamation);
}

PlayerFactory PlayersWith(BackendFactory makeBackend) {
    return [makeBackend = std::move(makeBackend)](ImageKind kind, Hooks& hooks) {
        PlaybackSetup setup{makeBackend, &hooks};
        setup.pump = [&hooks] { return hooks.PumpWaitingMessage(); };
        return MakePlayer(kind, setup);
    };
}

std::uint32_t CSablePlayerDlg::BuildPeaks() {
    m_waveView->UpdateWidth();
    const std::uint16_t width = m_waveView->GetColumns();
    const Peaks peaks = tvx::BuildPeaks(QFile::encodeName(m_strPathName).toStdString(),
                                        m_readAs, width, *m_hooks);
    if (peaks.channels == 2)
        m_waveView->SetPeaks(peaks.peak1.data(), peaks.peak2.data(), peaks.columnsDone, width);
    else if (peaks.channels == 1)
        m_waveView->SetPeaks(peaks.peak1.data(), nullptr, peaks.columnsDone, width);
    else
        ClearPeaks();   // a failed pass shows no waveform rather than the last image's
    m_waveView->update();
    return peaks.blocks;
}

void CSablePlayerDlg::ClearPeaks() {
    const std::uint16_t none = 0;
    m_waveView->SetPeaks(&none, &none, 0, 0);
    m_waveView->update();
}

void CSablePlayerDlg::DeleteReader() {
    if (!m_player)
        return;
    m_player->StopScan();
    m_player->CloseFile();
    m_player.reset();
}

}  // namespace tvx::app

#include "app/sable_player_dlg.h"

#include "core/string_table.h"
#include "desk/conversion.h"
#include "desk/details_dialog.h"
#include "desk/help.h"
#include "desk/open_dialog.h"

#include <QFile>

namespace tvx::app {

namespace {

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

void CSablePlayerDlg::OnFileOpen() {
    if (const std::optional<std::string> chosen = ChooseImage(this, m_profile))
        LoadFromUser(QFile::decodeName(QByteArray::fromStdString(*chosen)));
}

bool CSablePlayerDlg::LoadOrReset(const QString& path) {
    if (!LoadRecording(path)) {
        Reset();
        return false;
    }
    RefreshIdentity();
    RefreshControls();
    return true;
}

void CSablePlayerDlg::LoadFromUser(const QString& path) {
    if (LoadOrReset(path))
        m_profile.SetLastFile(LocalPath(path));
}

void CSablePlayerDlg::OnCopyData(const QString& path) {
    // A hand-over that fails leaves the display as the load left it; only Open empties it.
    // Details then finds no image and stays shut rather than show an empty caption.
    if (!LoadRecording(path))
        return;
    m_profile.SetLastFile(LocalPath(path));
    RefreshIdentity();
    RefreshControls();
}

void CSablePlayerDlg::OnDetails() {
    if (HasImage())
        ShowDetails(this, m_player->Details(), LocalPath(m_strPathName));
}

void CSablePlayerDlg::OnConvert() {
    if (!HasImage())
        return;
    const BusyScope busy(*this);
    const std::string path = LocalPath(m_strPathName);
    bool reopened = true;
    // The reader lets go of the file for the pass and takes it back whatever the outcome.
    const std::optional<ConvertResult> result = ConvertToWav(
        this, m_profile, path, m_readAs,
        [this] {
            OnStop();
            m_player->CloseFile();
        },
        [this, &path, &reopened] { reopened = m_player && m_player->OpenFile(path); });
    if (!result)
        return;
    if (const std::string failure = ConvertFailureText(*result); !failure.empty())
        Tell(LoadString(109), QString::fromStdString(failure), Icon::Exclamation);
    AfterReopen(reopened);
}

void CSablePlayerDlg::OnHelp() { OpenUserGuide(this); }

void CSablePlayerDlg::BeginBusy() {
    if (m_busy++ == 0)
        emit Busy(true);
}

void CSablePlayerDlg::EndBusy() {
    if (--m_busy == 0)
        emit Busy(false);
}

}  // namespace tvx::app

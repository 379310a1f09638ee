#pragma once

#include "app/sable_player_dlg.h"

#include <QStringList>
#include <QTemporaryDir>

#include <string>

namespace tvx::app::testing {

// The main window with its message boxes answered by the test.
class TestWindow : public CSablePlayerDlg {
public:
    using CSablePlayerDlg::CSablePlayerDlg;

    bool AskYesNo(const QString& caption, const QString& text) override {
        asked.append(caption + "|" + text);
        return answer;
    }
    void Tell(const QString& caption, const QString& text, Icon) override {
        told.append(caption + "|" + text);
    }

    bool answer = true;
    QStringList asked;
    QStringList told;
};

// The transport buttons and the image commands (Authenticate, Details, Convert to Wav) as the
// user finds them: the enabled ones by name, "menu" when all three commands are, and "+" after a
// latched button.
QString Buttons(const CSablePlayerDlg& window);
inline const QString kButtonsEmpty = "", kButtonsStopped = "play back menu",
                     kButtonsPlaying = "stop pause back menu play+",
                     kButtonsPaused = "stop play pause back menu play+ pause+";

// The text a control shows, whatever its kind; the bitmap of an icon.
QString TextOf(const CSablePlayerDlg& window, int id);
std::uint32_t IconOf(const CSablePlayerDlg& window, int id);

// The program's settings file in the test's own settings folder (XDG_CONFIG_HOME, set by the
// test's definition): its text, "" when there is none; and its removal.
QString SettingsText();
void ForgetSettings();

}  // namespace tvx::app::testing

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

// The transport buttons and the image commands (Authenticate, Details, Convert to Wav: how
// many are enabled) as the user finds them.
struct ButtonsSeen {
    bool stop = false, play = false, pause = false, backTrack = false;
    int imageCommands = 0;
    bool playLatched = false, pauseLatched = false;
    bool operator==(const ButtonsSeen&) const = default;
};
inline constexpr ButtonsSeen kButtonsEmpty{};
inline constexpr ButtonsSeen kButtonsStopped{false, true, false, true, 3, false, false};
inline constexpr ButtonsSeen kButtonsPlaying{true, false, true, true, 3, true, false};
inline constexpr ButtonsSeen kButtonsPaused{true, true, true, true, 3, true, true};
ButtonsSeen Buttons(const CSablePlayerDlg& window);
char* toString(const ButtonsSeen& buttons);   // for QCOMPARE's message

// The text a control shows, whatever its kind; the bitmap of an icon.
QString TextOf(const CSablePlayerDlg& window, int id);
std::uint32_t IconOf(const CSablePlayerDlg& window, int id);

// The program's settings file in the test's own settings folder (XDG_CONFIG_HOME, set by the
// test's definition): its text, "" when there is none; and its removal.
QString SettingsText();
void ForgetSettings();

}  // namespace tvx::app::testing

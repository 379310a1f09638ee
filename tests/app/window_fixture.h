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

// The text a control shows, whatever its kind.
QString TextOf(const CSablePlayerDlg& window, int id);

// Pixel colour of a widget as painted.
QRgb PixelOf(QWidget& widget, QPoint at);

// The program's settings file in the test's own settings folder (XDG_CONFIG_HOME, set by the
// test's definition): its text, "" when there is none; and its removal.
QString SettingsText();
void ForgetSettings();

}  // namespace tvx::app::testing

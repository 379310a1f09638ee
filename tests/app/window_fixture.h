#pragma once

#include "app/dialog_template.h"
#include "app/sable_player_dlg.h"
#include "controls/image_button.h"
#include "controls/image_static.h"
#include "controls/text.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QStringList>
#include <QTemporaryDir>

namespace tvx::app::testing {

// The main window with its message boxes answered by the test.
class TestWindow : public CSablePlayerDlg {
public:
    using CSablePlayerDlg::CSablePlayerDlg;

    bool AskYesNo(const QString& caption, const QString& text) override {
        asked.append(caption + "|" + text);
        return answer;
    }
    void Tell(const QString& caption, const QString& text, Icon) override { told.append(caption + "|" + text); }

    bool answer = true;
    QStringList asked;
    QStringList told;
};

// The transport buttons and the image commands (Authenticate, Details, Convert to Wav) as the
// user finds them: the enabled ones by name, "menu" when all three commands are, and "+" after a
// latched button.
inline QString Buttons(const CSablePlayerDlg& w) {
    QStringList seen;
    const std::pair<int, const char*> buttons[] = {
        {id::kStop, "stop"}, {id::kPlay, "play"}, {id::kPause, "pause"}, {id::kBackTrack, "back"}};
    for (const auto& [id, name] : buttons)
        if (w.GetDlgItem(id)->isEnabled())
            seen << name;
    int commands = 0;
    for (int id : {id::kAuthenticate, id::kDetails, id::kConvert})
        commands += w.MenuCommand(id)->isEnabled() ? 1 : 0;
    if (commands > 0)
        seen << (commands == 3 ? QString("menu") : QString("menu %1 of 3").arg(commands));
    for (const auto& [id, name] : buttons)
        if (qobject_cast<CImageButton*>(w.GetDlgItem(id))->IsLatched())
            seen << QString(name) + "+";
    return seen.join(' ');
}
inline const QString kButtonsEmpty = "", kButtonsStopped = "play back menu",
                     kButtonsPlaying = "stop pause back menu play+",
                     kButtonsPaused = "stop play pause back menu play+ pause+";

// The text a control shows, whatever its kind; the bitmap of an icon.
inline QString TextOf(const CSablePlayerDlg& window, int id) {
    QWidget* w = window.GetDlgItem(id);
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    auto* text = qobject_cast<CText*>(w);
    return text != nullptr ? text->GetText() : QString();
}
inline std::uint32_t IconOf(const CSablePlayerDlg& window, int id) {
    return qobject_cast<CImageStatic*>(window.GetDlgItem(id))->GetBitmapId();
}

// The program's settings file in the test's own settings folder (XDG_CONFIG_HOME, set by the
// test's definition): its text, "" when there is none; and its removal.
inline QString SettingsFile() { return qEnvironmentVariable("XDG_CONFIG_HOME") + "/Tessivox/tessivox.ini"; }
inline QString SettingsText() {
    QFile file(SettingsFile());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
inline void ForgetSettings() { QFile::remove(SettingsFile()); }

}  // namespace tvx::app::testing

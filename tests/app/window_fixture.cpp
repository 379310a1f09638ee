#include "window_fixture.h"

#include "app/dialog_template.h"
#include "controls/image_button.h"
#include "controls/image_static.h"
#include "controls/text.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>

namespace tvx::app::testing {

QString Buttons(const CSablePlayerDlg& w) {
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

QString TextOf(const CSablePlayerDlg& window, int id) {
    QWidget* w = window.GetDlgItem(id);
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* text = qobject_cast<CText*>(w))
        return text->GetText();
    return {};
}

std::uint32_t IconOf(const CSablePlayerDlg& window, int id) {
    return qobject_cast<CImageStatic*>(window.GetDlgItem(id))->GetBitmapId();
}

namespace {

QString SettingsFile() {
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/Tessivox/tessivox.ini";
}

}  // namespace

QString SettingsText() {
    QFile file(SettingsFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void ForgetSettings() { QFile::remove(SettingsFile()); }

}  // namespace tvx::app::testing

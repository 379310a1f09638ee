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

ButtonsSeen Buttons(const CSablePlayerDlg& w) {
    auto button = [&w](int id) { return qobject_cast<CImageButton*>(w.GetDlgItem(id)); };
    int commands = 0;
    for (int id : {id::kAuthenticate, id::kDetails, id::kConvert})
        commands += w.MenuCommand(id)->isEnabled() ? 1 : 0;
    return {button(id::kStop)->isEnabled(),  button(id::kPlay)->isEnabled(),
            button(id::kPause)->isEnabled(), button(id::kBackTrack)->isEnabled(),
            commands,                        button(id::kPlay)->IsLatched(),
            button(id::kPause)->IsLatched()};
}

char* toString(const ButtonsSeen& b) {
    return qstrdup(QString("stop %1 play %2 pause %3 back %4 commands %5 latched %6%7")
                       .arg(b.stop).arg(b.play).arg(b.pause).arg(b.backTrack).arg(b.imageCommands)
                       .arg(b.playLatched).arg(b.pauseLatched).toLatin1());
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

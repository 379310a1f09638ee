#include "window_fixture.h"

#include "controls/text.h"

#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QLabel>

namespace tvx::app::testing {

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

QRgb PixelOf(QWidget& widget, QPoint at) {
    return widget.grab().toImage().pixel(at);
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

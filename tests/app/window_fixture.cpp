#include "window_fixture.h"

#include "controls/text.h"

#include <QAbstractButton>
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

}  // namespace tvx::app::testing

#include "controls/text.h"

#include "controls/system_look.h"

#include <QEvent>
#include <QPainter>

namespace tvx {

CText::CText(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CText::SetText(const QString& text) {
    if (text == m_strText)
        return;
    m_strText = text;
    update();
}

void CText::SetStyle(Qt::Alignment format, const QColor& colour) {
    if (format == m_nFormat && colour == m_color)
        return;
    m_nFormat = format;
    m_color = colour;
    update();
}

void CText::SetTextColour(const QColor& colour) {
    SetStyle(m_nFormat, colour);
}

void CText::Enable(bool enabled) {
    setEnabled(enabled);
}

void CText::changeEvent(QEvent* event) {
    if (event->type() != QEvent::EnabledChange) {
        QWidget::changeEvent(event);
        return;
    }
    // The window greys its children while it is disabled; the line blinks on regardless.
    const bool enabled = !testAttribute(Qt::WA_ForceDisabled);
    if (enabled == m_bEnabled)
        return;
    m_bEnabled = enabled;
    update();
}

void CText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ButtonFace(*this));
    painter.setFont(SystemFont(height(), 800));
    painter.setPen(m_bEnabled ? m_color : GrayText(*this));
    painter.drawText(rect(), static_cast<int>(m_nFormat) | Qt::TextSingleLine, m_strText);
}

}  // namespace tvx

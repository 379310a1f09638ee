#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace tvx {

// One line of bold text sized to the control's height, in the caller's colour and
// alignment, grey while the control is disabled (its own state, not its window's). Every
// setter repaints only on a real change: the window's timers call them on every tick.
class CText : public QWidget {
    Q_OBJECT

public:
    explicit CText(QWidget* parent = nullptr);

    void SetText(const QString& text);
    void SetStyle(Qt::Alignment format, const QColor& colour);
    void SetTextColour(const QColor& colour);
    // Bright or grey; the same as setEnabled on this control.
    void Enable(bool enabled);

    const QString& GetText() const { return m_strText; }
    const QColor& GetTextColour() const { return m_color; }
    bool IsBright() const { return m_bEnabled; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool m_bEnabled = true;
    Qt::Alignment m_nFormat = Qt::AlignLeft | Qt::AlignTop;
    QColor m_color = Qt::black;
    QString m_strText;
};

}  // namespace tvx

#include "app/wait_dlg.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvx::app {

namespace {
constexpr QSize kWaitSize(220, 92);
}

CWaitDlg::CWaitDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint),
      m_text(new QLabel(this)),
      m_progress(new QProgressBar(this)),
      m_cancel(new QPushButton(tr("&Cancel"), this)) {
    // No caption, but a raised frame so that it reads as a window of its own.
    setObjectName("CWaitDlg");
    setStyleSheet("#CWaitDlg { border: 2px outset palette(mid); }");
    setWindowModality(Qt::WindowModal);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setProperty("controlId", kIdText);
    m_progress->setProperty("controlId", kIdProgress);
    m_progress->setTextVisible(false);
    m_cancel->setProperty("controlId", kIdCancel);
    m_cancel->setAutoDefault(false);
    // Space is the play key: pressed out of habit during a run it must not cancel it. The
    // button answers the mouse, Alt+C and Escape.
    m_cancel->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    setFixedSize(kWaitSize);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_bCancel = true; });
}

void CWaitDlg::SetText(const QString& text) { m_text->setText(text); }
void CWaitDlg::SetRange(int upper) { m_progress->setRange(0, upper); }
void CWaitDlg::SetPos(int position) { m_progress->setValue(position); }
QString CWaitDlg::Text() const { return m_text->text(); }
int CWaitDlg::Range() const { return m_progress->maximum(); }
int CWaitDlg::Pos() const { return m_progress->value(); }

void CWaitDlg::ShowOver(QWidget* anchor) {
    if (m_anchor)
        m_anchor->window()->removeEventFilter(this);
    m_anchor = anchor;
    if (anchor)
        anchor->window()->installEventFilter(this);
    Place();
    show();
    raise();
}

void CWaitDlg::showEvent(QShowEvent* event) {
    m_bCancel = false;
    QDialog::showEvent(event);
}

bool CWaitDlg::eventFilter(QObject* watched, QEvent* event) {
    if (isVisible() && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        Place();
    return QDialog::eventFilter(watched, event);
}

void CWaitDlg::reject() { m_bCancel = true; }

void CWaitDlg::Place() {
    if (!m_anchor)
        return;
    const QRect global(m_anchor->mapToGlobal(QPoint(0, 0)), m_anchor->size());
    move(CentredOver(global, size()));
}

QPoint CentredOver(const QRect& anchor, const QSize& size) {
    return {anchor.x() + (anchor.width() - size.width()) / 2,
            anchor.y() + (anchor.height() - size.height()) / 2};
}

}  // namespace tvx::app

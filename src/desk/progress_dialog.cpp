#include "desk/progress_dialog.h"

#include "desk/dialog_units.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tvx {

namespace {

// The passes write their messages with CR LF; a label breaks lines at LF alone.
QString LabelText(const std::string& text) {
    QString out = QString::fromUtf8(text);
    out.remove('\r');
    while (out.endsWith('\n'))
        out.chop(1);
    return out;
}

}  // namespace

CProgressDlg::CProgressDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint),
      m_progress(new QProgressBar(this)),
      m_message(new QLabel(QStringLiteral("Message Text Goes Here..."), this)),
      m_cancel(new QPushButton(QStringLiteral("&Cancel"), this)),
      m_owner(owner),
      m_ownerWasVisible(owner != nullptr && owner->isVisible()) {
    setObjectName(QStringLiteral("progressDialog"));
    // Not modal to the application, so the pass runs while it shows; but its owner takes no
    // input meanwhile: the owner's reader has let go of the file the pass reads.
    setModal(false);
    if (owner != nullptr)
        setWindowModality(Qt::WindowModal);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setObjectName(QStringLiteral("message"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_progress);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    setFixedSize(DialogUnitsToPixels(fontMetrics(), 186, 55).expandedTo(sizeHint()));

    connect(m_cancel, &QPushButton::clicked, this, &CProgressDlg::OnCancelButton);
}

CProgressDlg::~CProgressDlg() {
    while (m_waitCursors > 0)
        EndWaitCursor();
}

void CProgressDlg::SetMessage(const std::string& text) { m_message->setText(LabelText(text)); }

void CProgressDlg::SetRange(int upper) {
    m_nUpper = upper;
    m_progress->setRange(0, 100);
}

void CProgressDlg::SetPos(int position) {
    if (m_nUpper == 0)
        return;
    const auto percent = static_cast<std::int16_t>(static_cast<double>(position) / m_nUpper * 100.0);
    m_progress->setValue(percent);
}

int CProgressDlg::BarValue() const { return m_progress->value(); }

void CProgressDlg::ShowProgress(bool visible) {
    setVisible(visible);
    if (visible) {
        raise();
        m_cancel->setFocus();
    }
}

void CProgressDlg::BeginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++m_waitCursors;
}

void CProgressDlg::EndWaitCursor() {
    if (m_waitCursors == 0)
        return;
    QApplication::restoreOverrideCursor();
    --m_waitCursors;
}

bool CProgressDlg::AskYesNo(const std::string& caption, const std::string& text) {
    QWidget* over = m_owner ? m_owner.data() : this;
    return QMessageBox::question(over, QString::fromUtf8(caption), QString::fromUtf8(text),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

void CProgressDlg::Notice(const std::string& caption, const std::string& text) {
    QWidget* over = m_owner ? m_owner.data() : this;
    QMessageBox::information(over, QString::fromUtf8(caption), QString::fromUtf8(text));
}

bool CProgressDlg::PumpWaitingMessage() {
    if (!m_sincePump.isValid() || m_sincePump.elapsed() >= m_pumpIntervalMs) {
        QCoreApplication::processEvents();
        m_sincePump.start();
    }
    // The main window closed while the pass ran: the program is ending.
    const bool ownerGone = m_ownerWasVisible && (!m_owner || !m_owner->isVisible());
    return !ownerGone && !QCoreApplication::closingDown();
}

void CProgressDlg::reject() { OnCancelButton(); }

}  // namespace tvx

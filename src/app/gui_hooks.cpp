#include "app/gui_hooks.h"

#include "app/wait_dlg.h"

#include <QCoreApplication>
#include <QThread>

namespace tvx::app {

namespace {

QString FromEngine(const std::string& text) { return QString::fromStdString(text); }

bool OnWindowThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

}  // namespace

GuiHooks::GuiHooks(CWaitDlg& wait, QWidget& anchor, Prompter& prompter)
    : m_wait(wait), m_anchor(&anchor), m_prompter(prompter) {}

void GuiHooks::SetMessage(const std::string& text) { m_wait.SetText(FromEngine(text)); }
void GuiHooks::SetRange(int upper) { m_wait.SetRange(upper); }
void GuiHooks::SetPos(int position) { m_wait.SetPos(position); }

void GuiHooks::ShowProgress(bool visible) {
    if (!visible) {
        m_wait.hide();
        if (m_anchor) {
            m_anchor->window()->raise();
            m_anchor->window()->activateWindow();
        }
        return;
    }
    m_wait.ShowOver(m_anchor);
}

bool GuiHooks::IsCancelled() { return m_wait.m_bCancel; }

bool GuiHooks::AskYesNo(const std::string& caption, const std::string& text) {
    if (!OnWindowThread())
        return false;   // a worker cannot wait for a person; No loses nothing
    return m_prompter.AskYesNo(FromEngine(caption), FromEngine(text));
}

void GuiHooks::Notice(const std::string& caption, const std::string& text) {
    if (OnWindowThread()) {
        m_prompter.Tell(FromEngine(caption), FromEngine(text), Prompter::Icon::None);
        return;
    }
    Prompter* prompter = &m_prompter;
    QMetaObject::invokeMethod(
        &m_wait,
        [prompter, caption = FromEngine(caption), text = FromEngine(text)] {
            prompter->Tell(caption, text, Prompter::Icon::None);
        },
        Qt::QueuedConnection);
}

bool GuiHooks::PumpWaitingMessage() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !QCoreApplication::closingDown();
}

}  // namespace tvx::app

#pragma once

#include "app/prompter.h"
#include "core/hooks.h"

#include <QPointer>
#include <QWidget>

namespace tvx::app {

class CWaitDlg;

// The engine's hooks in the window: progress and Cancel in the wait window, questions and
// notices through the prompter, and the message pump that keeps the window alive during a
// pass. A notice raised on a worker thread is shown later on the window's thread.
class GuiHooks : public Hooks {
public:
    // The wait window shows over `anchor` while a pass runs.
    GuiHooks(CWaitDlg& wait, QWidget& anchor, Prompter& prompter);

    void SetMessage(const std::string& text) override;
    void SetRange(int upper) override;
    void SetPos(int position) override;
    void ShowProgress(bool visible) override;
    bool IsCancelled() override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    void Notice(const std::string& caption, const std::string& text) override;
    bool PumpWaitingMessage() override;

private:
    CWaitDlg& m_wait;
    QPointer<QWidget> m_anchor;
    Prompter& m_prompter;
};

}  // namespace tvx::app

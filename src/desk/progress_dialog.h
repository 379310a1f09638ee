#pragma once

#include "core/hooks.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tvx {

// The modeless window a conversion shows while it runs: its message, a bar, and Cancel,
// which the pass polls after every block. It is also the pass's hooks into the desktop.
class CProgressDlg : public QDialog, public Hooks {
    Q_OBJECT
public:
    // The owner is the window the questions stand over and the wait cursor belongs to.
    explicit CProgressDlg(QWidget* owner = nullptr);
    ~CProgressDlg() override;

    void SetMessage(const std::string& text) override;
    void SetRange(int upper) override;
    void SetPos(int position) override;
    void ShowProgress(bool visible) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    bool IsCancelled() override { return m_bCancelled; }
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    void Notice(const std::string& caption, const std::string& text) override;
    // Turns the event loop at most once per interval, so that a pass over millions of blocks
    // spends its time converting; a window stays responsive at that rate all the same.
    bool PumpWaitingMessage() override;

    void SetPumpInterval(int ms) { m_pumpIntervalMs = ms; }
    int BarValue() const;

    void OnCancelButton() { m_bCancelled = true; }

protected:
    void reject() override;   // Escape and the window's close button mean Cancel

private:
    int m_nUpper = 100;
    QProgressBar* m_progress;
    QLabel* m_message;
    QPushButton* m_cancel;
    bool m_bCancelled = false;
    QPointer<QWidget> m_owner;
    bool m_ownerWasVisible = false;
    int m_waitCursors = 0;
    int m_pumpIntervalMs = 15;
    QElapsedTimer m_sincePump;
};

}  // namespace tvx

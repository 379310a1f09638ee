#pragma once

#include "core/hooks.h"

#include <chrono>
#include <string>

namespace tvx::cli {

// Hooks on a terminal: a progress line on stderr (only when stderr is a terminal), Ctrl-C as
// Cancel, and the overwrite question answered by --yes; without it the answer is No.
class TerminalHooks : public Hooks {
public:
    TerminalHooks(bool assumeYes, bool showProgress);
    ~TerminalHooks() override;

    void SetMessage(const std::string& text) override;
    void SetRange(int upper) override { m_upper = upper; }
    void SetPos(int position) override;
    void ShowProgress(bool visible) override;
    bool IsCancelled() override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    void Notice(const std::string& caption, const std::string& text) override;

    // Whether the last question was answered No (the tool tells the user how to say Yes).
    bool WasDeclined() const { return m_declined; }

private:
    void DrawProgress(int position);
    void ClearProgress();

    bool m_assumeYes;
    bool m_showProgress;
    bool m_declined = false;
    bool m_lineShown = false;
    int m_upper = 0;
    std::string m_label;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

// Ctrl-C sets the flag that IsCancelled reads; a second Ctrl-C ends the tool at once.
void InstallInterruptHandler();
bool WasInterrupted();

}  // namespace tvx::cli

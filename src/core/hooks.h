#pragma once

#include <string>

namespace tvx {

// What a long pass needs from the shell that runs it: progress, Cancel, a question, a notice
// and the one-message pump. The defaults suit a silent caller (tests, scripts).
class Hooks {
public:
    virtual ~Hooks() = default;

    virtual void SetMessage(const std::string& /*text*/) {}
    virtual void SetRange(int /*upper*/) {}
    virtual void SetPos(int /*position*/) {}
    virtual void ShowProgress(bool /*visible*/) {}
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}
    virtual bool IsCancelled() { return false; }

    // Yes answers true. A caller that cannot ask says No, so nothing is overwritten unasked.
    virtual bool AskYesNo(const std::string& /*caption*/, const std::string& /*text*/) {
        return false;
    }
    virtual void Notice(const std::string& /*caption*/, const std::string& /*text*/) {}

    // Dispatches one waiting event; false only when the application is quitting.
    virtual bool PumpWaitingMessage() { return true; }
};

}  // namespace tvx

#pragma once

#include <string>

namespace tvx {

// What may be said from any thread: a reader's worker speaks through it (the wave device's
// notice, IMG's "Failed to open: "), so a shell's implementation hands the text to its own
// thread. The default says nothing.
class Notices {
public:
    virtual ~Notices() = default;

    virtual void Notice(const std::string& /*caption*/, const std::string& /*text*/) {}
};

// What a long pass needs from the shell that runs it, called only on the pass's own thread:
// progress, Cancel, a question and the one-message pump; a notice besides. The defaults suit
// a silent caller (tests, scripts).
class Hooks : public Notices {
public:

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

    // Dispatches one waiting event; false only when the application is quitting.
    virtual bool PumpWaitingMessage() { return true; }
};

}  // namespace tvx

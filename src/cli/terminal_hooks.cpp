#include "cli/terminal_hooks.h"

#include <csignal>
#include <cstdio>

namespace tvx::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

// The first line of a message; the progress line has room for no more.
std::string FirstLine(const std::string& text) {
    const std::size_t end = text.find_first_of("\r\n");
    return end == std::string::npos ? text : text.substr(0, end);
}

}  // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;   // a second Ctrl-C takes the default way out
    // A polite kill ends the work as Ctrl-C does: files closed whole, the terminal restored.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

bool WasInterrupted() { return g_interrupted != 0; }

TerminalHooks::TerminalHooks(bool assumeYes, bool showProgress)
    : m_assumeYes(assumeYes), m_showProgress(showProgress) {}

TerminalHooks::~TerminalHooks() { ClearProgress(); }

void TerminalHooks::SetMessage(const std::string& text) { m_label = FirstLine(text); }

void TerminalHooks::SetPos(int position) {
    if (!m_showProgress)
        return;
    // A terminal redrawn a few times a second is enough and costs nothing.
    const auto now = std::chrono::steady_clock::now();
    if (m_lineShown && now - m_lastDraw < std::chrono::milliseconds(100) && position < m_upper)
        return;
    m_lastDraw = now;
    DrawProgress(position);
}

void TerminalHooks::ShowProgress(bool visible) {
    if (!visible)
        ClearProgress();
}

bool TerminalHooks::IsCancelled() { return WasInterrupted(); }

bool TerminalHooks::AskYesNo(const std::string& /*caption*/, const std::string& /*text*/) {
    ClearProgress();
    m_declined = !m_assumeYes;
    return m_assumeYes;
}

void TerminalHooks::Notice(const std::string& caption, const std::string& text) {
    ClearProgress();
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void TerminalHooks::DrawProgress(int position) {
    const int percent =
        m_upper > 0 ? static_cast<int>(static_cast<long long>(position) * 100 / m_upper) : 0;
    std::fprintf(stderr, "\r%s %3d%%", m_label.c_str(), percent < 0 ? 0 : percent > 100 ? 100 : percent);
    std::fflush(stderr);
    m_lineShown = true;
}

void TerminalHooks::ClearProgress() {
    if (!m_lineShown)
        return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    m_lineShown = false;
}

}  // namespace tvx::cli

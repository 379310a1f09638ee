#include "cli/key_input.h"

#include <poll.h>
#include <thread>
#include <unistd.h>

namespace tvx::cli {

KeyInput::KeyInput() {
    if (!::isatty(STDIN_FILENO))
        return;
    if (::tcgetattr(STDIN_FILENO, &m_saved) != 0)
        return;
    termios now = m_saved;
    now.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG));
    now.c_cc[VMIN] = 0;
    now.c_cc[VTIME] = 0;
    m_raw = ::tcsetattr(STDIN_FILENO, TCSANOW, &now) == 0;
}

KeyInput::~KeyInput() {
    if (m_raw)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &m_saved);
}

std::optional<char> KeyInput::Next(std::chrono::milliseconds wait) {
    if (!m_raw) {
        std::this_thread::sleep_for(wait);
        return std::nullopt;
    }
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (::poll(&in, 1, static_cast<int>(wait.count())) <= 0)
        return std::nullopt;
    char key = 0;
    if (::read(STDIN_FILENO, &key, 1) != 1)
        return std::nullopt;
    return key;
}

}  // namespace tvx::cli

#pragma once

#include <chrono>
#include <optional>

#include <termios.h>

namespace tvx::cli {

// Single key presses from the terminal on stdin, without echo and without waiting for Enter,
// for as long as it lives; the terminal gets its settings back afterwards. Ctrl-C then comes
// as a key (3) rather than a signal. When stdin is no terminal there are never keys.
class KeyInput {
public:
    KeyInput();
    ~KeyInput();
    KeyInput(const KeyInput&) = delete;
    KeyInput& operator=(const KeyInput&) = delete;

    // Waits up to `wait` for a key.
    std::optional<char> Next(std::chrono::milliseconds wait);

private:
    bool m_raw = false;
    termios m_saved{};
};

}  // namespace tvx::cli

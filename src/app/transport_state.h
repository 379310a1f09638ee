#pragma once

namespace tvx::app {

// Where the window stands between loads; authentication finishing, Stop and the end of
// playback all return to Stopped.
enum class Transport { Empty, Stopped, Playing, Paused };

// Which transport buttons and file-menu items (Authenticate, Details, Convert) are usable,
// and which buttons are drawn latched.
struct TransportView {
    bool stop = false;
    bool play = false;
    bool pause = false;
    bool backTrack = false;
    bool imageCommands = false;
    bool playLatched = false;
    bool pauseLatched = false;

    bool operator==(const TransportView&) const = default;
};

TransportView ViewOf(Transport state);

}  // namespace tvx::app

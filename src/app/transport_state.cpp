#include "app/transport_state.h"

namespace tvx::app {

TransportView ViewOf(Transport state) {
    switch (state) {
    case Transport::Empty:
        return {};
    case Transport::Stopped:
        return {.play = true, .backTrack = true, .imageCommands = true};
    case Transport::Playing:
        return {.stop = true, .pause = true, .backTrack = true, .imageCommands = true,
                .playLatched = true};
    case Transport::Paused:
        // Play stays latched: pressing it resumes where the pause left off.
        return {.stop = true, .play = true, .pause = true, .backTrack = true,
                .imageCommands = true, .playLatched = true, .pauseLatched = true};
    }
    return {};
}

}  // namespace tvx::app

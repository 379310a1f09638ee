#pragma once

#include "audio/output_backend.h"

#include <memory>

namespace tvx {

// The default sound output: SDL's audio subsystem, which reaches PipeWire, PulseAudio or ALSA
// (SDL_AUDIODRIVER picks another, such as "dummy" or "disk"). Buffers are played from SDL's
// audio callback with the process's output volume applied.
std::unique_ptr<OutputBackend> MakeSdlBackend();

}  // namespace tvx

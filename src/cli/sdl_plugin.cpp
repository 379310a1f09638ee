// libtvx_sdl: the sound output of `play`, in a library of its own so that SDL and the many
// libraries it needs load only when the tool plays.
#include "cli/sdl_plugin.h"

#include "audio/sdl_backend.h"

#include <new>

extern "C" __attribute__((visibility("default"))) tvx::OutputBackend* tvx_sdl_make_backend() {
    try {
        return tvx::MakeSdlBackend().release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

#pragma once

namespace tvx {
class OutputBackend;
}

// The one entry point of libtvx_sdl: a new SDL output backend that the caller owns, or nullptr.
// The plugin keeps its own output volume, which the tool never changes: full.
extern "C" tvx::OutputBackend* tvx_sdl_make_backend();

#pragma once

#include "audio/output_backend.h"
#include "core/block_status.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace tvx {

class CWavePlay;
class Notices;

// What a reader built for playback needs from its owner: a way to make its sound device, where
// its worker may speak from its own thread, and the owner's message pump, which Rewind turns
// on the owner's thread while it waits (none: it only waits).
struct PlaybackSetup {
    BackendFactory makeBackend;
    Notices* notices = nullptr;
    // How long the reader's destructor waits for its worker before leaving it behind.
    std::chrono::milliseconds quitWait{10000};
    std::function<bool()> pump{};
};

// Told of every record judged on the worker: its index (header records negative) and verdict.
using BlockCallback = void (*)(std::int32_t index, BlockStatus status);

}  // namespace tvx

namespace tvx {

// IMG readers report records by their 0-based index and their check flags.
using RecordCallback = void (*)(std::uint32_t index, std::uint32_t flags);

// A worker's sound device from the setup: its backend, its notice through the hooks, and a
// Write that gives up waiting once `interrupted` says so.
std::unique_ptr<CWavePlay> MakeWavePlay(const PlaybackSetup& setup,
                                        std::function<bool()> interrupted);

}  // namespace tvx

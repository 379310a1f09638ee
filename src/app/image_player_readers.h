#pragma once

#include "app/image_player.h"
#include "core/playback.h"

#include <memory>

namespace tvx::app {

// A reader with its worker for the kind, reporting its verdicts to `callbacks`. The setup's
// hooks carry the wave device's notice and the message pump that Rewind turns while it waits.
std::unique_ptr<ImagePlayer> MakeImagePlayer(ImageKind kind, const PlaybackSetup& setup,
                                             const VerdictCallbacks& callbacks);

// One per reader family.
std::unique_ptr<ImagePlayer> MakeIm2Player(ImageKind kind, const PlaybackSetup& setup,
                                           const VerdictCallbacks& callbacks);
std::unique_ptr<ImagePlayer> MakeImgPlayer(const PlaybackSetup& setup,
                                           const VerdictCallbacks& callbacks);

// The window's players, their sound going to devices that `makeBackend` makes.
PlayerFactory PlayersWith(BackendFactory makeBackend);

}  // namespace tvx::app

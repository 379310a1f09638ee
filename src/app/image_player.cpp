#include "app/image_player_readers.h"

namespace tvx::app {

std::unique_ptr<ImagePlayer> MakeImagePlayer(ImageKind kind, const PlaybackSetup& setup,
                                             const VerdictCallbacks& callbacks) {
    if (kind.searched == ImageFormat::Img)
        return MakeImgPlayer(setup, callbacks);
    return MakeIm2Player(kind, setup, callbacks);
}

PlayerFactory PlayersWith(BackendFactory makeBackend) {
    return [makeBackend = std::move(makeBackend)](ImageKind kind, Hooks& hooks,
                                                  const VerdictCallbacks& callbacks) {
        return MakeImagePlayer(kind, PlaybackSetup{makeBackend, &hooks}, callbacks);
    };
}

}  // namespace tvx::app

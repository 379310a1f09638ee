#include "app/image_player_readers.h"

namespace tvx::app {

std::unique_ptr<ImagePlayer> MakeImagePlayer(ImageFormat format, const PlaybackSetup& setup,
                                             const VerdictCallbacks& callbacks) {
    if (format == ImageFormat::Img)
        return MakeImgPlayer(setup, callbacks);
    return MakeIm2Player(format, setup, callbacks);
}

PlayerFactory PlayersWith(BackendFactory makeBackend) {
    return [makeBackend = std::move(makeBackend)](ImageFormat format, Hooks& hooks,
                                                  const VerdictCallbacks& callbacks) {
        return MakeImagePlayer(format, PlaybackSetup{makeBackend, &hooks}, callbacks);
    };
}

}  // namespace tvx::app

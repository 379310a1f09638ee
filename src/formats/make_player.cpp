#include "play/player.h"

#include "formats/im2/im2_player.h"
#include "formats/img/img_player.h"
#include "formats/ix2/ix2_player.h"

namespace tvx {

// The one place a player's format is chosen: the reader by what the search found, the
// values by the rules it reads with.
std::unique_ptr<Player> MakePlayer(ImageKind kind, const PlaybackSetup& setup) {
    switch (kind.rules) {
    case ImageFormat::Ix2:
        return std::make_unique<Ix2Player>(setup);
    case ImageFormat::Im2:
        if (kind.searched == ImageFormat::Ix2)
            return std::make_unique<Im2Player>(std::make_unique<CIx2>(setup), kIx2OpenFailure);
        return std::make_unique<Im2Player>(std::make_unique<CIm2>(setup), kIm2OpenFailure);
    case ImageFormat::Img:
        return std::make_unique<ImgPlayer>(setup);
    case ImageFormat::None:
        break;
    }
    return nullptr;
}

}  // namespace tvx

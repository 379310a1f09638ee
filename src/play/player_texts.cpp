#include "play/player_texts.h"

#include "core/format.h"

namespace tvx {

std::string ElapsedText(std::int64_t playMs) {
    const std::int64_t seconds = playMs > 0 ? playMs / 1000 : 0;   // queued audio can lead
    return Format("Elapsed Time: %02d:%02d:%02d", static_cast<int>(seconds / 3600 % 24),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
}

std::string WrappedLengthText(std::int64_t ms) {
    const auto v = static_cast<std::int32_t>(ms);
    return Format("%02i:%02i:%02i.%03i", v / 3600000, v / 60000 % 60, v / 1000 % 60, v % 1000);
}

}  // namespace tvx

#pragma once

#include "formats/identity_texts.h"

#include <cstdint>
#include <string>

namespace tvx {

// What a player says of its image in words: who recorded it, where playback stands, how
// long it is.

inline constexpr const char* kDateLineFormat = "%a, %d %b %Y, %H:%M:%S";

// IMG images carry no date: the play time as hours of the day, minutes, seconds.
std::string ElapsedText(std::int64_t playMs);

// A length taken as 32-bit first, as IM2 and IMG show it at a load: past 2^31 ms it wraps.
std::string WrappedLengthText(std::int64_t ms);

}  // namespace tvx

#pragma once

#include "analysis/peaks.h"
#include "core/error.h"
#include "core/hooks.h"
#include "formats/format_home.h"
#include "formats/format_of.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tvx {

// The home of the format a path's bytes are read by (FormatOf's rules). ImageFormat::None
// has a home too, whose every operation fails with UnknownFormat's reason.
const FormatHome& HomeOf(ImageFormat rules);
// The same for a path: HomeOf(FormatOf(path).rules).
const FormatHome& HomeFor(const std::string& path);

// Why a path names no image the program reads, or nothing when it names one.
std::optional<Error> UnknownFormat(const std::string& path);

// The peaks pass over the blocks of the image, read by `rules`.
Peaks BuildPeaks(const std::string& path, ImageFormat rules, std::uint16_t width, Hooks& hooks);

}  // namespace tvx

#pragma once

#include "analysis/image_format.h"
#include "core/error.h"

#include <optional>
#include <string>

namespace tvx::cli {

// The format a command reads a path as: as loading chooses it, except that a name ending in
// IM2 is read by the IM2 rules, as the IX2 reader itself reads such a file.
ImageFormat FormatToRead(const std::string& path);

// Why a path names no image this tool reads, or nothing when it names one.
std::optional<Error> UnknownFormat(const std::string& path);

}  // namespace tvx::cli

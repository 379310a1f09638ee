#pragma once

#include "core/error.h"

#include <optional>
#include <string>

namespace tvx::cli {

// Why a path names no image this tool reads, or nothing when it names one.
std::optional<Error> UnknownFormat(const std::string& path);

}  // namespace tvx::cli

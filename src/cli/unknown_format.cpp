#include "cli/unknown_format.h"

#include "formats/format_of.h"

namespace tvx::cli {

std::optional<Error> UnknownFormat(const std::string& path) {
    if (FormatOf(path).searched != ImageFormat::None)
        return std::nullopt;
    return Error{Cause::BadFormat, 0, path, 0,
                 "Not a recording image: the name must contain .IX2, .IM2 or .IMG"};
}

}  // namespace tvx::cli

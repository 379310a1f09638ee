#include "cli/image_kind.h"

#include "readers/ix2_source.h"

namespace tvx::cli {

ImageFormat FormatToRead(const std::string& path) {
    const ImageFormat format = ChooseFormat(path);
    if (format == ImageFormat::Ix2 && HasIm2Ending(path))
        return ImageFormat::Im2;
    return format;
}

std::optional<Error> UnknownFormat(const std::string& path) {
    if (ChooseFormat(path) != ImageFormat::None)
        return std::nullopt;
    return Error{Cause::BadFormat, 0, path, 0,
                 "Not a recording image: the name must contain .IX2, .IM2 or .IMG"};
}

}  // namespace tvx::cli

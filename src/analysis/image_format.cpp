#include "analysis/image_format.h"

#include <cctype>

namespace tvx {

namespace {

std::string UpperCased(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

ImageFormat ChooseFormat(const std::string& path) {
    const std::string upper = UpperCased(path);
    struct Candidate {
        const char* text;
        ImageFormat format;
    };
    for (const Candidate c : {Candidate{".IX2", ImageFormat::Ix2}, Candidate{".IM2", ImageFormat::Im2},
                              Candidate{".IMG", ImageFormat::Img}}) {
        const std::size_t at = upper.find(c.text);
        if (at != std::string::npos && at > 0)
            return c.format;
    }
    return ImageFormat::None;
}

const char* FormatName(ImageFormat format) {
    switch (format) {
    case ImageFormat::Ix2:
        return "IX2";
    case ImageFormat::Im2:
        return "IM2";
    case ImageFormat::Img:
        return "IMG";
    case ImageFormat::None:
        break;
    }
    return "";
}

}  // namespace tvx

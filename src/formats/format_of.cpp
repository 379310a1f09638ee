#include "formats/format_of.h"

#include <cctype>

namespace tvx {

namespace {

std::string UpperCased(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

ImageFormat Searched(const std::string& path) {
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

}  // namespace

ImageKind FormatOf(const std::string& path) {
    const ImageFormat searched = Searched(path);
    return {searched, ReadingRules(searched, path)};
}

ImageFormat ReadingRules(ImageFormat reader, const std::string& path) {
    if (reader == ImageFormat::Ix2 && ReadsIx2AsIm2(path))
        return ImageFormat::Im2;
    return reader;
}

// The last three characters, not an extension: "F1IM2" ends in IM2 as much as "F1.im2".
bool ReadsIx2AsIm2(const std::string& path) {
    return path.size() >= 3 && UpperCased(path.substr(path.size() - 3)) == "IM2";
}

}  // namespace tvx

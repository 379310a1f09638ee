#include "formats/home_of.h"

#include "formats/im2/im2_home.h"
#include "formats/img/img_home.h"
#include "formats/ix2/ix2_home.h"

namespace tvx {

namespace {

Error NotAnImage(const std::string& path) {
    return Error{Cause::BadFormat, 0, path, 0,
                 "Not a recording image: the name must contain .IX2, .IM2 or .IMG"};
}

// A path that names no format: nothing is opened, and every answer is the reason why.
class NoHome final : public FormatHome {
public:
    Result<OpenedImage> Open(const std::string& path) const override { return NotAnImage(path); }
    Result<AuthReport> Authenticate(const std::string& path, Hooks&, AuthTally&,
                                    std::size_t) const override {
        return NotAnImage(path);
    }
    ConvertResult Convert(const ConvertRequest& request, Hooks&) const override {
        ConvertResult result;
        result.error = NotAnImage(request.source);
        return result;
    }
    Result<DetailsFields> Details(const std::string& path) const override {
        return NotAnImage(path);
    }
    OpenedBlocks OpenBlocks(const std::string& path) const override { return NotAnImage(path); }
    Result<SourceShape> Shape(const std::string& path) const override { return NotAnImage(path); }
};

}  // namespace

const FormatHome& HomeOf(ImageFormat rules) {
    static const NoHome none;
    switch (rules) {
    case ImageFormat::Im2:
        return Im2Home();
    case ImageFormat::Ix2:
        return Ix2Home();
    case ImageFormat::Img:
        return ImgHome();
    case ImageFormat::None:
        break;
    }
    return none;
}

const FormatHome& HomeFor(const std::string& path) { return HomeOf(FormatOf(path).rules); }

std::optional<Error> UnknownFormat(const std::string& path) {
    if (FormatOf(path).IsImage())
        return std::nullopt;
    return NotAnImage(path);
}

Peaks BuildPeaks(const std::string& path, ImageFormat rules, std::uint16_t width, Hooks& hooks) {
    return BuildPeaks(path, HomeOf(rules).OpenBlocks(path), width, hooks);
}

}  // namespace tvx

#include "core/absolute_path.h"

#include <filesystem>
#include <system_error>

namespace tvx {

std::string AbsolutePath(const std::string& given) {
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(given, ignored);
    if (absolute.empty())
        return given;
    std::filesystem::path clean;
    for (const std::filesystem::path& part : absolute)
        if (part != ".")
            clean /= part;
    return clean.string();
}

}  // namespace tvx

#pragma once

#include <string>

namespace tvx {

// The path from the root that `given` names from the working folder, so that it means the
// same file away from this shell: the report's and the manifest's name of the image. Only "."
// goes: "dir/.." may not lead where the letters suggest when dir is a link. The path as
// given when the working folder cannot be found.
std::string AbsolutePath(const std::string& given);

}  // namespace tvx

#pragma once

#include "core/error.h"
#include "core/file64.h"
#include "formats/im2/im2.h"

#include <optional>
#include <string>

namespace tvx {

// Opens an IM2 image read-only for a pass, as the reader opens it.
std::optional<Error> OpenImage(CFile64& file, const std::string& path);

// Reads the header record at the file's start into image and sets up its reference values,
// header verdict and lengths, as the reader does when it opens a file.
std::optional<Error> LoadIm2Header(CFile64& file, const std::string& path, CIm2& image);

// Both of the above for a caller that needs only the header.
std::optional<Error> LoadIm2Header(const std::string& path, CIm2& image);

}  // namespace tvx

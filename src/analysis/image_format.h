#pragma once

#include <string>

namespace tvx {

// The formats a path can name, with the values the window keeps for them.
enum class ImageFormat { None = 0, Img = 0x10, Im2 = 0x20, Ix2 = 0x40 };

// By the path's text, as loading chooses: ".IX2", then ".IM2", then ".IMG", in any letter
// case, found anywhere past the first character (a folder's name counts too).
ImageFormat ChooseFormat(const std::string& path);

const char* FormatName(ImageFormat format);   // "IX2", "IM2", "IMG" or ""

}  // namespace tvx

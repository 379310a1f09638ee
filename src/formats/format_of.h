#pragma once

#include <string>

namespace tvx {

// The formats a path can name, with the values the window keeps for them.
enum class ImageFormat { None = 0, Img = 0x10, Im2 = 0x20, Ix2 = 0x40 };

// What a path is. `searched` is the format loading finds in the path's text: ".IX2", then
// ".IM2", then ".IMG", in any letter case, anywhere past the first character (a folder's name
// counts too); the window shows it and makes its reader by it. `rules` is what that reader
// reads the bytes as: the same, except that an IX2 reader reads a name ending in IM2 as IM2.
// Counting, peaks, conversion and details follow `rules`, so every shell reads the same file.
struct ImageKind {
    ImageFormat searched = ImageFormat::None;
    ImageFormat rules = ImageFormat::None;

    bool operator==(const ImageKind&) const = default;
    // The path names one of the formats at all.
    bool IsImage() const { return searched != ImageFormat::None; }
};

// The one place a path becomes a format.
ImageKind FormatOf(const std::string& path);

// The rules a reader made for `reader` reads the path with, whatever the search would find.
ImageFormat ReadingRules(ImageFormat reader, const std::string& path);

// An IX2 reader given this path reads its bytes by the IM2 rules.
bool ReadsIx2AsIm2(const std::string& path);

}  // namespace tvx

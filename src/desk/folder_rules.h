#pragma once

#include <string>
#include <string_view>

namespace tvx {

// What the folder chooser makes of a typed path: good, not a path it takes, or a folder that
// could not be made. The numbers are those its messages are picked by.
enum class FolderCheck { Good = 0, Invalid = 1, NotCreated = 2 };
enum class FolderMode { Check, Create };

// One component of a folder path: not empty, no blank, tab or dot at either end, and none of
// the characters " * / : < > ? \ |, so the folder carries a name every system can copy.
bool IsValidFolderName(std::string_view name);

// An absolute path of valid components ("/" alone is the root; a trailing "/" is refused).
// Create mode makes each missing folder along the way and requires that it is a folder after.
FolderCheck CheckFolderPath(const std::string& path, FolderMode mode);

bool IsFolder(const std::string& path);
bool PathExists(const std::string& path);

}  // namespace tvx

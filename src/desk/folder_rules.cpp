#include "desk/folder_rules.h"

#include <algorithm>
#include <sys/stat.h>

namespace tvx {

namespace {

bool IsEdgeCharacter(char c) { return c == '\t' || c == ' ' || c == '.'; }

bool IsForbidden(char c) {
    return std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos;
}

}  // namespace

bool IsValidFolderName(std::string_view name) {
    if (name.empty() || IsEdgeCharacter(name.front()) || IsEdgeCharacter(name.back()))
        return false;
    for (const char c : name)
        if (IsForbidden(c))
            return false;
    return true;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

FolderCheck CheckFolderPath(const std::string& path, FolderMode mode) {
    if (path.empty() || path.front() != '/')
        return FolderCheck::Invalid;
    if (path.size() == 1)
        return mode == FolderMode::Check || IsFolder(path) ? FolderCheck::Good
                                                           : FolderCheck::NotCreated;
    std::size_t from = 1;
    for (;;) {
        const std::size_t end = std::min(path.find('/', from), path.size());
        if (!IsValidFolderName(std::string_view(path).substr(from, end - from)))
            return FolderCheck::Invalid;
        if (mode == FolderMode::Create) {
            const std::string prefix = path.substr(0, end);
            // An existing folder is fine; whatever else went wrong shows in the test after.
            (void)::mkdir(prefix.c_str(), 0777);
            if (!IsFolder(prefix))
                return FolderCheck::NotCreated;
        }
        if (end == path.size())
            return FolderCheck::Good;
        from = end + 1;
    }
}

}  // namespace tvx

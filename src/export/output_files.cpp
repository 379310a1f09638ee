#include "export/output_files.h"

#include "export/manifest.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tvx {
namespace {

Error Refusal(const std::string& path, const char* why) {
    return {Cause::Access, 0, path, 0, why};
}

constexpr const char* kLinkRefused = "Is a symbolic link; nothing is written through one";

}  // namespace

Result<std::vector<std::string>> FindSegmentFiles(const SegmentNames& names) {
    DIR* dir = ::opendir(names.folder.c_str());
    if (!dir) {
        if (errno == ENOENT)
            return std::vector<std::string>{};
        return Error{CauseOfErrno(errno), errno, names.folder, 0, {}};
    }
    // (segment, 0 for the WAV or 1 for the text) orders the names as a conversion makes them.
    std::vector<std::pair<std::pair<unsigned, int>, std::string>> found;
    const std::string manifest = FileNameOf(ManifestPath(names));
    while (const dirent* entry = ::readdir(dir)) {
        const std::string file = entry->d_name;
        if (const auto segment = names.SegmentOf(file))
            found.push_back({{*segment, file.ends_with(".txt") ? 1 : 0}, names.folder + file});
        else if (file == manifest)
            found.push_back({{0x10000, 0}, names.folder + file});
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& [order, path] : found)
        paths.push_back(std::move(path));
    return paths;
}

std::optional<Error> RefusalToReplace(const std::string& path, const std::string& source) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        return Error{CauseOfErrno(errno), errno, path, 0, {}};
    }
    if (S_ISLNK(st.st_mode))
        return Refusal(path, kLinkRefused);
    if (S_ISDIR(st.st_mode))
        return Error{Cause::Access, EISDIR, path, 0, {}};
    if (!S_ISREG(st.st_mode))
        return Error{Cause::BadFormat, 0, path, 0, {}};
    struct stat image {};
    if (::stat(source.c_str(), &image) == 0 && image.st_dev == st.st_dev &&
        image.st_ino == st.st_ino)
        return Refusal(path, "Is the recording image itself (a hard link to it)");
    // A file made read-only is kept as its owner meant it, although the folder would let it go.
    if (::access(path.c_str(), W_OK) != 0)
        return Error{CauseOfErrno(errno), errno, path, 0, {}};
    return std::nullopt;
}

std::optional<Error> RemoveOutput(const std::string& path, const std::string& source) {
    if (auto refused = RefusalToReplace(path, source))
        return refused;
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return Error{CauseOfErrno(errno), errno, path, 0, {}};
    return std::nullopt;
}

Error OutputOpenError(const CFileException& failure, const std::string& path) {
    Error error = failure.ToError();
    error.path = path;
    struct stat st {};
    if (failure.m_lOsError == ELOOP && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return Refusal(path, kLinkRefused);
    if (failure.m_lOsError == EEXIST) {
        if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            return Refusal(path, kLinkRefused);
        return Refusal(path, "Exists already, made by another program or conversion; not replaced");
    }
    return error;
}

}  // namespace tvx

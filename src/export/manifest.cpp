#include "export/manifest.h"

#include "core/absolute_path.h"
#include "core/file64.h"
#include "export/output_files.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace tvx {

std::string ManifestPath(const SegmentNames& names) {
    return names.folder + names.name + ".sha256";
}

std::string ManifestLine(const std::string& sha256, const std::string& name) {
    std::string escaped;
    for (const char c : name) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\r')
            escaped += "\\r";
        else
            escaped += c;
    }
    return (escaped.size() == name.size() ? "" : "\\") + sha256 + "  " + escaped + "\n";
}

namespace {

// The digest taken as `file` was written, while it is still a plain file of that size.
const WrittenDigest* DigestStillFitting(const std::string& file,
                                        const std::vector<WrittenDigest>& written) {
    const auto digest = std::find_if(written.begin(), written.end(),
                                     [&file](const WrittenDigest& d) { return d.path == file; });
    struct stat now {};
    if (digest == written.end() || ::lstat(file.c_str(), &now) != 0 || !S_ISREG(now.st_mode) ||
        static_cast<std::uint64_t>(now.st_size) != digest->size)
        return nullptr;
    return &*digest;
}

Result<std::string> ManifestText(const std::string& source, const FileHash& sourceHash,
                                 const std::vector<std::string>& files,
                                 const std::vector<WrittenDigest>& written,
                                 const std::function<bool()>& keepGoing) {
    std::string text = ManifestLine(sourceHash.sha256, AbsolutePath(source));
    for (const std::string& file : files) {
        if (const WrittenDigest* digest = DigestStillFitting(file, written)) {
            text += ManifestLine(digest->sha256, FileNameOf(file));
            continue;
        }
        const Result<FileHash> hash = HashFile(file, keepGoing, kFlagNoFollow);
        if (!hash)
            return hash.GetError();
        text += ManifestLine(hash->sha256, FileNameOf(file));
    }
    return text;
}

}  // namespace

std::optional<Error> WriteManifest(const std::string& manifest, const std::string& source,
                                   const FileHash& sourceHash,
                                   const std::vector<std::string>& files,
                                   const std::vector<WrittenDigest>& written,
                                   const std::function<bool()>& keepGoing) {
    const Result<std::string> text = ManifestText(source, sourceHash, files, written, keepGoing);
    if (!text)
        return text.GetError();
    CFile64 file;
    CFileException failure;
    if (!file.Open(manifest, kGenericWrite, kShareRead, kOutputDisposition, &failure, kOutputFlags))
        return OutputOpenError(failure, manifest);
    try {
        file.Write(text->data(), static_cast<std::uint32_t>(text->size()));
        file.Close();
        return std::nullopt;
    } catch (const CFileException& writeFailure) {
        // Ours, made a moment ago: a manifest cut short must not stand as a complete one.
        file.Abort();
        ::unlink(manifest.c_str());
        Error error = writeFailure.ToError();
        error.path = manifest;
        return error;
    }
}

}  // namespace tvx

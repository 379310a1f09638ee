#pragma once

#include "core/error.h"
#include "core/file_hash.h"
#include "export/convert.h"
#include "export/segments.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tvx {

// A conversion's checksum manifest, "<folder>/<name>.sha256" beside its segments, in the form
// `sha256sum -c` reads: the image by its absolute path, then every file written by its bare
// name, so the working copies can be checked from their folder with nothing but coreutils.
std::string ManifestPath(const SegmentNames& names);

// "HASH  NAME\n"; a name holding a backslash, CR or LF is escaped as sha256sum escapes it.
std::string ManifestLine(const std::string& sha256, const std::string& name);

// Lists each written file by the digest taken as it was written when there is one and the
// file still has the size it was written with; any other is read back from the disk after
// it was closed. Writes the manifest as a new file, never through a link. `keepGoing` is
// asked between reads. Nothing is left behind when it cannot be finished.
std::optional<Error> WriteManifest(const std::string& manifest, const std::string& source,
                                   const FileHash& sourceHash,
                                   const std::vector<std::string>& files,
                                   const std::vector<WrittenDigest>& written,
                                   const std::function<bool()>& keepGoing);

}  // namespace tvx

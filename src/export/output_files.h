#pragma once

#include "core/error.h"
#include "core/file64.h"
#include "export/segments.h"

#include <optional>
#include <string>
#include <vector>

namespace tvx {

// How every WAV and text file of a conversion is created: always a new file, never through a
// symbolic link, so no open can reach the image or a file nobody agreed to replace.
inline constexpr std::uint32_t kOutputDisposition = kCreateNew;
inline constexpr std::uint32_t kOutputFlags = kFlagNoFollow;

// Where one conversion writes. `earlier` holds the files an earlier conversion of the same
// name left in the folder; they are replaced as a whole only when `replace` is set (the user
// said Yes), and otherwise every file must be new.
struct OutputTarget {
    std::string source;
    SegmentNames names;
    std::vector<std::string> earlier;
    bool replace = false;
};

// Every name in the folder that is a segment file of this conversion ("NAME.NN.wav" or
// ".txt") or its manifest ("NAME.sha256"), whatever kind of file it is; by segment, the WAV
// before its text, the manifest last (so it is the first to go: no list outlives its files).
// A folder that does not exist holds none; one that cannot be listed is an error, as its
// files are unknown.
Result<std::vector<std::string>> FindSegmentFiles(const SegmentNames& names);

// Why an existing name must not be replaced: it is no regular file (a link, a folder, a FIFO),
// it is the image under another name, or the user may not write it. Nothing when the name is
// free or an ordinary file that may go.
std::optional<Error> RefusalToReplace(const std::string& path, const std::string& source);

// Takes away a name that RefusalToReplace allows; one already gone is fine.
std::optional<Error> RemoveOutput(const std::string& path, const std::string& source);

// An output that could not be created, in the user's terms: a link or a name that exists
// already is said so rather than by the system's words for it.
Error OutputOpenError(const CFileException& failure, const std::string& path);

}  // namespace tvx

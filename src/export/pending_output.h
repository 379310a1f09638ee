#pragma once

#include "core/error.h"

#include <optional>
#include <string>

namespace tvx {

// One output file written whole or not at all: the bytes go to a new temporary file beside
// the target, which takes the target's name only when Commit is called. Until then, and if
// the writer fails, the target is as it was; the temporary goes with this object.
class PendingOutput {
public:
    // Refuses a target that is a symbolic link, no regular file or the image itself, and an
    // existing one unless `replace`.
    static Result<PendingOutput> Begin(const std::string& target, const std::string& source,
                                       bool replace);
    PendingOutput(PendingOutput&& other) noexcept;
    PendingOutput& operator=(PendingOutput&&) = delete;
    ~PendingOutput();

    // The temporary file, open for writing.
    int Descriptor() const { return m_fd; }
    const std::string& Target() const { return m_target; }
    // Flushes the bytes to disk and gives them the target's name; without `replace` a target
    // that appeared meanwhile is not replaced.
    std::optional<Error> Commit();

private:
    PendingOutput(std::string target, std::string source, std::string temporary, int fd, bool replace);

    std::string m_target;
    std::string m_source;
    std::string m_temporary;
    int m_fd = -1;
    bool m_replace = false;
};

}  // namespace tvx

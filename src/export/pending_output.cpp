#include "export/pending_output.h"

#include "export/output_files.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tvx {

namespace {

Error SystemError(const std::string& path) { return {CauseOfErrno(errno), errno, path, 0, {}}; }

std::optional<Error> RefusalOfTarget(const std::string& target, const std::string& source,
                                     bool replace) {
    if (auto refused = RefusalToReplace(target, source))
        return refused;
    struct stat st {};
    if (!replace && ::lstat(target.c_str(), &st) == 0)
        return Error{Cause::Access, 0, target, 0, "Exists already; not replaced unless asked (--yes)"};
    return std::nullopt;
}

// mkstemp makes the file for its owner alone; a report is an ordinary file, as the umask says.
mode_t OrdinaryMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

Result<PendingOutput> PendingOutput::Begin(const std::string& target, const std::string& source,
                                           bool replace) {
    if (auto refused = RefusalOfTarget(target, source, replace))
        return *refused;
    std::string pattern = target + ".partial-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);   // a new file of ours: O_EXCL
    if (fd < 0)
        return SystemError(target);
    return PendingOutput(target, source, name.data(), fd, replace);
}

PendingOutput::PendingOutput(std::string target, std::string source, std::string temporary,
                             int fd, bool replace)
    : m_target(std::move(target)), m_source(std::move(source)),
      m_temporary(std::move(temporary)), m_fd(fd), m_replace(replace) {}

PendingOutput::PendingOutput(PendingOutput&& other) noexcept
    : m_target(std::move(other.m_target)), m_source(std::move(other.m_source)),
      m_temporary(std::exchange(other.m_temporary, {})), m_fd(std::exchange(other.m_fd, -1)),
      m_replace(other.m_replace) {}

PendingOutput::~PendingOutput() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
}

std::optional<Error> PendingOutput::Commit() {
    if (::fchmod(m_fd, OrdinaryMode()) != 0 ||
        ::fsync(m_fd) != 0 || ::close(std::exchange(m_fd, -1)) != 0)
        return SystemError(m_target);
    // The target is checked again: it may have come or changed since Begin.
    if (auto refused = RefusalOfTarget(m_target, m_source, m_replace))
        return refused;
    // A link never replaces; a rename replaces only what the user agreed to replace.
    const int done = m_replace ? ::rename(m_temporary.c_str(), m_target.c_str())
                               : ::link(m_temporary.c_str(), m_target.c_str());
    if (done != 0)
        return SystemError(m_target);
    if (!m_replace)
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
    return std::nullopt;
}

}  // namespace tvx

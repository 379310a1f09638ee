#include "cli/standard_output.h"

#include "cli/exit_status.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace tvx::cli {

void KeepBrokenPipesFromKilling() { std::signal(SIGPIPE, SIG_IGN); }

namespace {

int g_firstFailure = 0;   // errno of the first failed write seen, while it was still fresh

}  // namespace

bool StdoutFailed() {
    const bool failed = std::ferror(stdout) != 0;
    if (failed && g_firstFailure == 0)
        g_firstFailure = errno != 0 ? errno : EIO;
    return failed;
}

int FinishStdout(int status) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && !StdoutFailed())
        return status;
    const int cause = g_firstFailure != 0 ? g_firstFailure : errno != 0 ? errno : EIO;
    std::fprintf(stderr, "tessivox-cli: the results could not be written to standard output: %s\n",
                 std::strerror(cause));
    return Worse(status, kExitOutput);
}

}  // namespace tvx::cli

#include "run_tool.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tvx::cli::testing {

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Whether the process has a handler for SIGINT, from the caught-signal mask the kernel shows.
bool CatchesInterrupt(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) != 0)
            continue;
        const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
        return (mask >> (SIGINT - 1) & 1) != 0;
    }
    return false;
}

ToolRun Run(const std::vector<std::string>& args, bool interrupt) {
    char outName[] = "/tmp/tvx-cli-out-XXXXXX";
    char errName[] = "/tmp/tvx-cli-err-XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);

    std::vector<std::string> argv = {TVX_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargs;
    for (std::string& a : argv)
        cargs.push_back(a.data());
    cargs.push_back(nullptr);

    ToolRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, TVX_CLI_PATH, &actions, nullptr, cargs.data(), environ) == 0) {
        int wstatus = 0;
        bool ended = false;
        if (interrupt) {
            while (!CatchesInterrupt(pid) && !(ended = waitpid(pid, &wstatus, WNOHANG) == pid))
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (!ended)
                kill(pid, SIGINT);
        }
        if (!ended)
            waitpid(pid, &wstatus, 0);
        run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(outFd);
    close(errFd);
    run.out = Slurp(outName);
    run.err = Slurp(errName);
    unlink(outName);
    unlink(errName);
    return run;
}

}  // namespace

ToolRun RunTool(const std::vector<std::string>& args) { return Run(args, false); }

ToolRun RunToolInterrupted(const std::vector<std::string>& args) { return Run(args, true); }

}  // namespace tvx::cli::testing

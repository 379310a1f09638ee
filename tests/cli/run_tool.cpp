#include "run_tool.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tvx::cli::testing {

namespace {

// Between fork and exec only calls that are safe in a forked child of a threaded process.
[[noreturn]] void BecomeTool(int outFd, int errFd, const ToolLimits& limits, char** argv) {
    const int in = ::open("/dev/null", O_RDONLY);
    if (in < 0 || ::dup2(in, 0) < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0)
        ::_exit(126);
    if (limits.fileSizeLimit != 0) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, nullptr);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = limits.fileSizeLimit;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(126);
    }
    ::execv(TVX_CLI_PATH, argv);
    ::_exit(127);
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

// The descriptor the tool writes its standard output to.
int StdoutFor(const ToolLimits& limits, char* outName) {
    switch (limits.out) {
    case ToolLimits::Stdout::DevFull:
        return ::open("/dev/full", O_WRONLY);
    case ToolLimits::Stdout::ClosedPipe: {
        int ends[2];
        if (::pipe(ends) != 0)
            return -1;
        ::close(ends[0]);
        return ends[1];
    }
    case ToolLimits::Stdout::Collected:
        break;
    }
    return mkstemp(outName);
}

}  // namespace

ToolRun RunTool(const std::vector<std::string>& args, const ToolLimits& limits) {
    char outName[] = "/tmp/tvx-cli-out-XXXXXX";
    char errName[] = "/tmp/tvx-cli-err-XXXXXX";
    const int outFd = StdoutFor(limits, outName);
    const int errFd = mkstemp(errName);

    std::vector<std::string> argv = {TVX_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargs;
    for (std::string& a : argv)
        cargs.push_back(a.data());
    cargs.push_back(nullptr);

    ToolRun run;
    const pid_t pid = ::fork();
    if (pid == 0)
        BecomeTool(outFd, errFd, limits, cargs.data());
    if (pid > 0) {
        // A tool that hangs is killed at the deadline rather than holding the test forever.
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(limits.deadlineSeconds);
        int wstatus = 0;
        bool interrupted = !limits.interrupt;
        pid_t done = 0;
        while ((done = ::waitpid(pid, &wstatus, WNOHANG)) == 0) {
            if (!interrupted && CatchesInterrupt(pid)) {
                ::kill(pid, SIGINT);   // as soon as the tool is ready to take it
                interrupted = true;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &wstatus, 0);
                run.timedOut = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        run.status = !run.timedOut && WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    }
    close(outFd);
    close(errFd);
    if (limits.out == ToolLimits::Stdout::Collected) {
        run.out = Slurp(outName);
        unlink(outName);
    }
    run.err = Slurp(errName);
    unlink(errName);
    return run;
}

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::string Field(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    if (at == std::string::npos)
        return "(no " + label + ")";
    const std::size_t from = text.find_first_not_of(' ', at + label.size());
    return text.substr(from, text.find('\n', from) - from);
}

std::string Flat(const std::string& json) {
    std::string out;
    for (std::size_t i = 0; i < json.size(); ++i) {
        if (json[i] != '\n') {
            out += json[i];
            continue;
        }
        while (i + 1 < json.size() && json[i + 1] == ' ')
            ++i;
    }
    return out;
}

std::uint32_t Le32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 4; i-- > 0;)
        v = v << 8 | static_cast<std::uint8_t>(b.at(at + i));
    return v;
}

void ToolTest::SetUp() {
    m_dir = std::filesystem::temp_directory_path() / ("tvx-cli-" + std::to_string(::getpid()));
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir / "out");
}

void ToolTest::TearDown() { std::filesystem::remove_all(m_dir); }

ToolRun RunToolInterrupted(const std::vector<std::string>& args) {
    ToolLimits limits;
    limits.interrupt = true;
    return RunTool(args, limits);
}

}  // namespace tvx::cli::testing

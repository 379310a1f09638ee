#pragma once
// tessivox-cli run as a user runs it, in a folder of its own, and the images it is run on.
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tvx::cli::testing {

struct ToolRun { int status = -1; std::string out, err; };

struct ToolLimits {
    // When not 0, no file the tool writes may grow past this many bytes, as on a full disk:
    // the write fails with EFBIG (the signal that would end the tool is ignored).
    std::uint64_t fileSizeLimit = 0;
    bool interrupt = false;   // send a Ctrl-C as soon as the tool catches it
    // Where standard output goes: collected, a device that takes nothing, or a pipe whose
    // reader has gone.
    enum class Stdout { Collected, DevFull, ClosedPipe } out = Stdout::Collected;
};

inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline bool Has(const std::string& text, const std::string& part) { return text.find(part) != text.npos; }

// The descriptor the tool writes its standard output to.
inline int StdoutFor(ToolLimits::Stdout out, std::string& name) {
    int ends[2] = {-1, -1};
    if (out == ToolLimits::Stdout::ClosedPipe && ::pipe(ends) == 0)
        ::close(ends[0]);
    if (out == ToolLimits::Stdout::DevFull)
        return ::open("/dev/full", O_WRONLY);
    return out == ToolLimits::Stdout::Collected ? ::mkstemp(name.data()) : ends[1];
}

// Between fork and exec only calls that are safe in a forked child of a threaded process. A
// tool that hangs is ended by the alarm rather than holding the test forever.
[[noreturn]] inline void BecomeTool(int outFd, int errFd, std::uint64_t fileSizeLimit, char** argv) {
    const int in = ::open("/dev/null", O_RDONLY);
    if (in < 0 || ::dup2(in, 0) < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0)
        ::_exit(126);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = fileSizeLimit != 0 ? fileSizeLimit : limit.rlim_cur;
    if (::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        ::_exit(126);
    ::alarm(60);
    ::execv(TVX_CLI_PATH, argv);
    ::_exit(127);
}

// Whether the process has a handler for SIGINT, from the caught-signal mask the kernel shows.
inline bool CatchesInterrupt(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("SigCgt:"))
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1) & 1) != 0;
    }
    return false;
}

// The exit status, or -1 when the tool did not exit normally.
inline int Await(pid_t pid, bool interrupt) {
    int wstatus = 0;
    pid_t done = 0;
    while (interrupt && (done = ::waitpid(pid, &wstatus, WNOHANG)) == 0 && !CatchesInterrupt(pid))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (done == 0 && interrupt)
        ::kill(pid, SIGINT);   // as soon as the tool is ready to take it
    if (done == 0)
        ::waitpid(pid, &wstatus, 0);
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
}

// Runs tessivox-cli with the arguments, stdin from /dev/null, and collects both streams.
inline ToolRun RunTool(std::vector<std::string> args, const ToolLimits& limits = {}) {
    const std::string temp = std::filesystem::temp_directory_path() / "tvx-cli-";
    std::string outName = temp + "out-XXXXXX", errName = temp + "err-XXXXXX";
    const int outFd = StdoutFor(limits.out, outName), errFd = ::mkstemp(errName.data());
    std::vector<char*> argv = {const_cast<char*>(TVX_CLI_PATH)};
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0)
        BecomeTool(outFd, errFd, limits.fileSizeLimit, argv.data());
    const int status = pid > 0 ? Await(pid, limits.interrupt) : -1;
    ::close(outFd);
    ::close(errFd);
    const ToolRun run{status, limits.out == ToolLimits::Stdout::Collected ? Slurp(outName) : "", Slurp(errName)};
    ::unlink(outName.c_str());
    ::unlink(errName.c_str());
    return run;
}

// The JSON without its line breaks and indentation: one line to look for members in.
inline std::string Flat(const std::string& json) {
    std::string out;
    bool indent = false;
    for (const char c : json) {
        indent = c == '\n' || (indent && c == ' ');
        if (!indent)
            out += c;
    }
    return out;
}

// What a reader of evidence must never change: the bytes, and the size, inode, links, mode,
// and modification and change times to the nanosecond.
inline std::string Evidence(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    std::string said;
    for (const long long n : std::initializer_list<long long>{
             st.st_size, static_cast<long long>(st.st_ino), static_cast<long long>(st.st_nlink), st.st_mode,
             st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec})
        said += std::to_string(n) + " ";
    return said + Slurp(path);
}

using Writer = std::function<bool(const std::string&)>;

// 16-bit mono at 8000 Hz: 32 ms per block.
inline Writer Im2(std::uint32_t blocks = 20, std::vector<synth::Fault> faults = {}) {
    const synth::Im2Options o{.storedBits = 16, .blocks = blocks};
    return [=](const std::string& p) { return synth::WriteIm2File(p, o, faults); };
}

inline Writer Ix2(bool chain, std::uint32_t blocks = 50) {
    synth::Ix2Options o;
    o.audio = {.storedBits = 16, .blocks = blocks};
    o.splitFirst = 200;
    o.recordingLast = 999;
    o.chain = chain;
    return [o](const std::string& p) { return synth::WriteIx2File(p, o); };
}

inline Writer Img(synth::ImgOptions o, std::vector<synth::ImgFault> faults = {}) {
    return [=](const std::string& p) { return synth::WriteImgFile(p, o, faults); };
}

// A fresh folder with an empty "out" in it, named short: the tool's messages name its paths.
class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir / "out");
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::string Out() const { return Path("out"); }
    std::string Write(const std::string& name, const Writer& write) const {
        EXPECT_TRUE(write(Path(name))) << name;
        return Path(name);
    }

    const std::filesystem::path m_dir =
        std::filesystem::temp_directory_path() / ("tvx-cli-" + std::to_string(::getpid()));
};

}  // namespace tvx::cli::testing

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tvx::cli::testing {

struct ToolRun {
    int status = -1;        // exit status, or -1 when the tool did not exit normally
    bool timedOut = false;  // killed at the deadline: the tool hung
    std::string out;
    std::string err;
};

struct ToolLimits {
    // When not 0, no file the tool writes may grow past this many bytes, as on a full disk:
    // the write fails with EFBIG (the signal that would end the tool is ignored).
    std::uint64_t fileSizeLimit = 0;
    int deadlineSeconds = 120;
    bool interrupt = false;   // send a Ctrl-C as soon as the tool catches it
    // Where standard output goes: collected, a device that takes nothing, or a pipe whose
    // reader has gone.
    enum class Stdout { Collected, DevFull, ClosedPipe } out = Stdout::Collected;
};

// Runs tessivox-cli with the arguments, stdin from /dev/null, and collects both streams.
ToolRun RunTool(const std::vector<std::string>& args, const ToolLimits& limits = {});

// The same, with a Ctrl-C sent as soon as the tool is ready to take it (it catches SIGINT).
ToolRun RunToolInterrupted(const std::vector<std::string>& args);

}  // namespace tvx::cli::testing

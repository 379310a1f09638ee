#pragma once

#include <string>
#include <vector>

namespace tvx::cli::testing {

struct ToolRun {
    int status = -1;        // exit status, or -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// Runs tessivox-cli with the arguments, stdin from /dev/null, and collects both streams.
ToolRun RunTool(const std::vector<std::string>& args);

// The same, with a Ctrl-C sent as soon as the tool is ready to take it (it catches SIGINT).
ToolRun RunToolInterrupted(const std::vector<std::string>& args);

}  // namespace tvx::cli::testing

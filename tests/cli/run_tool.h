#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
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

std::string Slurp(const std::filesystem::path& path);
bool Has(const std::string& text, const std::string& part);
std::size_t Occurrences(const std::string& text, const std::string& part);
// The value printed after the first line's label, without the padding.
std::string Field(const std::string& text, const std::string& label);
// The JSON without its line breaks and indentation: one line to look for members in.
std::string Flat(const std::string& json);
std::uint32_t Le32(const std::string& bytes, std::size_t at);

// A fresh folder with an empty "out" in it, named short: the tool's messages name its paths,
// and a full disk caps what it can say.
class ToolTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::string Out() const { return Path("out"); }

    std::filesystem::path m_dir;
};

}  // namespace tvx::cli::testing

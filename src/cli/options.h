#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tvx::cli {

enum class Command { Help, Version, Verify, Convert, Details, Peaks, Play, Report };

struct Options {
    Command command = Command::Help;
    std::vector<std::string> images;
    bool json = false;
    bool hash = false;            // verify: size, modification time and SHA-256 too
    bool assumeYes = false;
    std::string outFolder;        // convert: the folder; report: the PDF
    std::uint16_t minutes = 0;
    std::uint16_t megabytes = 0;
    std::uint16_t width = 1000;   // peaks: columns of the overview
    std::optional<std::int64_t> fromMs;   // play: where to start
};

// The parsed command line, or the reason it makes no sense (the tool prints it with usage).
struct ParseResult {
    std::optional<Options> options;
    std::string error;
};

ParseResult ParseArguments(const std::vector<std::string>& args);

const char* UsageText();

}  // namespace tvx::cli

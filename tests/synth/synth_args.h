#pragma once

#include "synth/synth.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tvx::synth {

struct SynthArgs {
    std::string path;
    Im2Options options;
    std::vector<Fault> faults;
};

struct ParsedArgs {
    std::optional<SynthArgs> args;
    std::string error;   // why the command line does not hold, when args is empty
};

// The tvx-synth command line, program name excluded.
ParsedArgs ParseSynthArgs(std::span<const std::string> argv);

inline constexpr const char* kSynthUsage =
    "usage: tvx-synth OUT.IM2 [--bits 4|8|16] [--channels 1|2] [--rate-code 0-3]\n"
    "                 [--model CODE | --compression N] [--blocks N | --hours H | --mib M]\n"
    "                 [--stated N] [--seed S] [--fault KIND[:BLOCK]]...\n"
    "  KIND: payload, unit, file, order, timestamp, header, truncate (BLOCK = bytes kept)\n";

}  // namespace tvx::synth

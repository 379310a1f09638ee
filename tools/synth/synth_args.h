#pragma once

#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
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
    bool ix2 = false;   // the path ends in .IX2: options are the audio of ix2
    Ix2Options ix2Options;
    bool img = false;   // the path ends in .IMG: imgOptions and imgFaults alone count
    ImgOptions imgOptions;
    std::vector<ImgFault> imgFaults;
};

// An IX2 image is asked for by its name: it ends in .IX2 in any letter case.
bool NamesIx2(const std::string& path);
bool NamesImg(const std::string& path);

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
    "  KIND: payload, unit, file, order, timestamp, header, truncate (BLOCK = bytes kept)\n"
    "OUT.IX2 takes the same audio options (the blocks are the split's) and\n"
    "                 [--chain] [--split-first N] [--split-last N] [--recording-last N]\n"
    "                 [--no-entry] [--no-decoy] [--broken-index 0-2] [--cut BYTES]\n"
    "OUT.IMG takes --bits 8|5, --blocks N (records) or --hours H or --mib M, --seed S and\n"
    "                 [--erased N] [--img-fault KIND[:RECORD]]...\n"
    "  KIND: voice, index, sum, unit, file, count, cut (RECORD = bytes kept)\n";

}  // namespace tvx::synth

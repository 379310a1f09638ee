// tvx-synth: writes a synthetic IM2, IX2 or IMG image for tests, benchmarks and demonstrations.

#include "synth/ix2_synth.h"
#include "synth/synth.h"
#include "synth/synth_args.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitWriteFailed = 3;

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const tvx::synth::ParsedArgs parsed = tvx::synth::ParseSynthArgs(args);
    if (!parsed.args) {
        std::fprintf(stderr, "tvx-synth: %s\n%s", parsed.error.c_str(), tvx::synth::kSynthUsage);
        return kExitUsage;
    }
    const tvx::synth::SynthArgs& a = *parsed.args;
    const auto start = std::chrono::steady_clock::now();
    const bool written = a.img   ? tvx::synth::WriteImgFile(a.path, a.imgOptions, a.imgFaults)
                         : a.ix2 ? tvx::synth::WriteIx2File(a.path, a.ix2Options, a.faults)
                                 : tvx::synth::WriteIm2File(a.path, a.options, a.faults);
    if (!written) {
        std::fprintf(stderr, "tvx-synth: could not write %s: %s\n", a.path.c_str(),
                     std::strerror(errno));
        return kExitWriteFailed;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto bytes = static_cast<double>(
        a.img   ? std::uint64_t{a.imgOptions.records + a.imgOptions.erased} * 528
        : a.ix2 ? tvx::synth::Ix2ImageSize(a.ix2Options)
                : tvx::synth::ImageSize(a.options, a.faults));
    std::fprintf(stderr, "tvx-synth: wrote %s: %u data blocks, %.0f bytes in %.2f s (%.1f MiB/s)\n",
                 a.path.c_str(), static_cast<unsigned>(a.img ? a.imgOptions.records : a.options.blocks), bytes, seconds,
                 seconds > 0 ? bytes / 1048576.0 / seconds : 0.0);
    return kExitOk;
}

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/options.h"
#include "cli/standard_output.h"
#include "core/string_table.h"

#include <cstdio>
#include <exception>

namespace {

int Run(const tvx::cli::Options& options) {
    using namespace tvx::cli;
    switch (options.command) {
    case Command::Help:
        std::fputs(UsageText(), stdout);
        return kExitAuthentic;
    case Command::Version:
        std::printf("%s\n", tvx::LoadString(102));
        return kExitAuthentic;
    case Command::Verify:
        return RunVerify(options);
    case Command::Convert:
        return RunConvert(options);
    case Command::Details:
        return RunDetails(options);
    case Command::Peaks:
        return RunPeaks(options);
    case Command::Play:
        return RunPlay(options);
    case Command::Report:
        return RunReport(options);
    }
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tvx::cli;
    KeepBrokenPipesFromKilling();
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : argc), argv + argc);
    const ParseResult parsed = ParseArguments(args);
    if (!parsed.options) {
        std::fprintf(stderr, "tessivox-cli: %s\n\n%s", parsed.error.c_str(), UsageText());
        return kExitUsage;
    }
    int status = kExitUnreadable;
    try {
        status = Run(*parsed.options);
    } catch (const std::exception& e) {
        // A fault of ours, not of the image: say so rather than die without a word.
        std::fprintf(stderr, "tessivox-cli: internal error: %s\n", e.what());
    }
    return FinishStdout(status);
}

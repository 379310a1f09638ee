#include "cli/commands.h"
#include "cli/conversion_verdict.h"
#include "cli/exit_status.h"
#include "cli/report_text.h"
#include "cli/terminal_hooks.h"
#include "formats/home_of.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace tvx::cli {

namespace {

// Why the segments cannot go into path, or nothing when it is a folder.
const char* NotAFolder(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return "no such folder";
    return S_ISDIR(st.st_mode) ? nullptr : "not a folder";
}

void ListFiles(const ConvertResult& result) {
    for (const std::string& file : result.files)
        std::printf("%s\n", file.c_str());
    if (!result.manifest.empty())
        std::printf("%s\n", result.manifest.c_str());
}

// A read of the image that failed part-way: the pass ends as a Cancel does, or stops early
// with what it converted, but the user must hear that the image itself could not be read.
bool SourceReadFailed(const ConvertResult& result) {
    return !result.outputFailed && (result.error.osError != 0 || !result.error.path.empty());
}

int Outcome(const ConvertResult& result, const ConvertRequest& request,
            const SourceShape& shape) {
    if (result.outcome != ConvertOutcome::NotStarted && result.outcome != ConvertOutcome::Declined &&
        SourceReadFailed(result)) {
        ListFiles(result);
        std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(result.error).c_str());
        if (result.outcome == ConvertOutcome::Cancelled)
            std::fprintf(stderr, "Decryption Cancelled.\n");
        return kExitUnreadable;
    }
    switch (result.outcome) {
    case ConvertOutcome::Completed:
        ListFiles(result);
        // Whole segments, but their manifest could not be written: which file, and why.
        if (result.outputFailed) {
            std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(result.error).c_str());
            return kExitOutput;
        }
        std::fprintf(stderr, "Converted %llu blocks into %u segment%s.\n",
                     static_cast<unsigned long long>(result.blocks), result.segments,
                     result.segments == 1 ? "" : "s");
        return IsAuthenticConversion(shape, result) ? kExitAuthentic : kExitIrregular;
    case ConvertOutcome::Cancelled:
        ListFiles(result);
        // Stopped by a failure rather than by Ctrl-C: which file, and why.
        if (result.outputFailed)
            std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(result.error).c_str());
        std::fprintf(stderr, "Decryption Cancelled.\n");
        if (result.outputFailed)
            return kExitOutput;
        return WasInterrupted() ? kExitInterrupted : kExitIrregular;
    case ConvertOutcome::Declined:
        std::fprintf(stderr,
                     "tessivox-cli: %s is there from an earlier conversion; nothing was written "
                     "(add --yes to replace all of that conversion's files in %s)\n",
                     result.error.path.c_str(), request.folder.c_str());
        return kExitOutput;
    case ConvertOutcome::NotStarted:
        break;
    }
    std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(result.error).c_str());
    return result.outputFailed ? kExitOutput : kExitUnreadable;
}

}  // namespace

int RunConvert(const Options& options) {
    const std::string& path = options.images[0];
    // The pass is silent about a source it cannot read; a terminal user deserves the reason.
    // What it finds of the source's structure is the half of the verdict the pass does not give.
    const FormatHome& home = HomeFor(path);
    const Result<SourceShape> shape = home.Shape(path);
    if (!shape) {
        std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(shape.GetError()).c_str());
        return kExitUnreadable;
    }
    if (const char* why = NotAFolder(options.outFolder)) {
        std::fprintf(stderr, "tessivox-cli: %s: %s\n", options.outFolder.c_str(), why);
        return kExitUsage;
    }
    InstallInterruptHandler();
    TerminalHooks hooks(options.assumeYes, isatty(STDERR_FILENO));
    const ConvertRequest request{path, options.outFolder, options.megabytes, options.minutes};
    const ConvertResult result = home.Convert(request, hooks);
    hooks.ShowProgress(false);
    return Outcome(result, request, *shape);
}

}  // namespace tvx::cli

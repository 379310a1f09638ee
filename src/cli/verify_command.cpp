#include "analysis/authenticate.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/json_writer.h"
#include "cli/report_json.h"
#include "cli/report_text.h"
#include "cli/standard_output.h"
#include "cli/terminal_hooks.h"
#include "formats/home_of.h"

#include <cstdio>
#include <unistd.h>

namespace tvx::cli {

namespace {

// Large reads keep the scan at the speed of the disk; the verdicts are the reader's own.
constexpr std::size_t kBatchPieceRecords = 2048;

Result<AuthReport> Examine(const std::string& path, Hooks& hooks) {
    AuthTally tally;
    return HomeFor(path).Authenticate(path, hooks, tally, kBatchPieceRecords);
}

int StatusOf(const Result<AuthReport>& result) {
    if (!result)
        return kExitUnreadable;
    return IsAllAuthentic(*result) ? kExitAuthentic : kExitIrregular;
}

// Each image's result goes out as soon as it is known: a batch stopped half-way, or an image
// that cannot be read, loses none of the others.
void Print(const Result<AuthReport>& result, bool first, JsonWriter* json) {
    if (json != nullptr) {
        result ? WriteReportJson(*json, *result) : WriteFailureJson(*json, result.GetError());
        json->Flush();
    } else if (!result) {
        std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(result.GetError()).c_str());
    } else {
        if (!first)
            std::fputs("\n", stdout);
        std::fputs(VerifyText(*result).c_str(), stdout);
    }
    std::fflush(stdout);
}

}  // namespace

int RunVerify(const Options& options) {
    InstallInterruptHandler();
    const bool progress = !options.json && isatty(STDERR_FILENO);
    JsonWriter json(2, stdout);
    if (options.json)
        BeginReportsJson(json);
    int status = kExitAuthentic;
    bool first = true;
    for (const std::string& path : options.images) {
        TerminalHooks hooks(false, progress);
        hooks.SetMessage("Authenticating " + path);
        const Result<AuthReport> result = Examine(path, hooks);
        hooks.ShowProgress(false);
        status = Worse(status, StatusOf(result));
        Print(result, first, options.json ? &json : nullptr);
        first = first && !result;
        if (WasInterrupted() || StdoutFailed())
            break;
    }
    if (options.json) {
        EndReportsJson(json);
        json.Flush();
        std::fputs("\n", stdout);
    }
    return WasInterrupted() ? kExitInterrupted : status;
}

}  // namespace tvx::cli

#include "analysis/authenticate.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/json_writer.h"
#include "cli/report_json.h"
#include "cli/report_text.h"
#include "cli/standard_output.h"
#include "cli/terminal_hooks.h"
#include "core/file_hash.h"
#include "formats/examination.h"

#include <cstdio>
#include <optional>
#include <unistd.h>

namespace tvx::cli {

namespace {

int StatusOf(const Result<AuthReport>& result) {
    if (!result)
        return kExitUnreadable;
    return IsAllAuthentic(*result) ? kExitAuthentic : kExitIrregular;
}

// Each image's result goes out as soon as it is known: a batch stopped half-way, or an image
// that cannot be read, loses none of the others.
void Print(const Examined& examined, bool first, JsonWriter* json) {
    const Result<AuthReport>& result = examined.report;
    const FileHash* hash = examined.hash ? &*examined.hash : nullptr;
    if (json != nullptr) {
        result ? WriteReportJson(*json, *result, hash) : WriteFailureJson(*json, result.GetError());
        json->Flush();
    } else if (!result) {
        std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(result.GetError()).c_str());
    } else {
        if (!first)
            std::fputs("\n", stdout);
        std::fputs(VerifyText(*result, hash).c_str(), stdout);
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
        AuthTally tally;
        const Examined examined = ExamineImage(path, hooks, tally, options.hash, kBatchPieceRecords);
        hooks.ShowProgress(false);
        status = Worse(status, StatusOf(examined.report));
        Print(examined, first, options.json ? &json : nullptr);
        first = first && !examined.report;
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

#include "analysis/authenticate.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/json_writer.h"
#include "cli/report_json.h"
#include "cli/report_text.h"
#include "cli/standard_output.h"
#include "cli/terminal_hooks.h"
#include "core/file_hash.h"
#include "export/background_hash.h"
#include "formats/home_of.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace tvx::cli {

namespace {

// Reads of about half a megabyte stay in the processor's L2 cache until they are judged, and
// are few enough that the calls cost nothing; the verdicts are the reader's own.
constexpr std::size_t kBatchPieceRecords = 1024;

// One image's result; with --hash, a result that is shown carries its digest.
struct Examined {
    Result<AuthReport> report;
    std::optional<FileHash> hash;
};

Result<AuthReport> Authenticate(const std::string& path, Hooks& hooks) {
    AuthTally tally;
    return HomeFor(path).Authenticate(path, hooks, tally, kBatchPieceRecords);
}

// With --hash the digest is taken on the second core while the scan runs; Ctrl-C, or a scan
// whose outcome makes it moot, stops it.
Examined Examine(const std::string& path, Hooks& hooks, bool hash) {
    if (!hash)
        return {Authenticate(path, hooks), std::nullopt};
    BackgroundHash digest(path);
    Examined out{Authenticate(path, hooks), std::nullopt};
    const bool shown = out.report && !out.report->cancelled;
    if (!shown)
        digest.Stop();
    while (!digest.IsReady(std::chrono::milliseconds(50))) {
        if (WasInterrupted())
            digest.Stop();
    }
    const Result<FileHash> taken = digest.Take();
    if (shown && taken)
        out.hash = *taken;
    else if (shown && !WasInterrupted())
        out.report = taken.GetError();   // a file that changed under the scan has no verdict
    return out;
}

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
        const Examined examined = Examine(path, hooks, options.hash);
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

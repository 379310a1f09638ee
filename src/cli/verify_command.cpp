#include "analysis/authenticate.h"
#include "analysis/authenticate_img.h"
#include "analysis/authenticate_ix2.h"
#include "analysis/image_format.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/image_kind.h"
#include "cli/json_writer.h"
#include "cli/report_json.h"
#include "cli/report_text.h"
#include "cli/terminal_hooks.h"

#include <cstdio>
#include <unistd.h>

namespace tvx::cli {

namespace {

// Large reads keep the scan at the speed of the disk; the verdicts are the reader's own.
constexpr std::size_t kBatchPieceRecords = 2048;

Result<AuthReport> Examine(const std::string& path, Hooks& hooks) {
    if (auto unknown = UnknownFormat(path))
        return *unknown;
    AuthTally tally;
    switch (FormatToRead(path)) {
    case ImageFormat::Ix2:
        return AuthenticateIx2(path, hooks, tally, kBatchPieceRecords);
    case ImageFormat::Im2:
        return AuthenticateIm2(path, hooks, tally, kBatchPieceRecords);
    default:
        return AuthenticateImg(path, hooks, tally, kBatchPieceRecords);
    }
}

int StatusOf(const Result<AuthReport>& result) {
    if (!result)
        return kExitUnreadable;
    return IsAllAuthentic(*result) ? kExitAuthentic : kExitIrregular;
}

}  // namespace

int RunVerify(const Options& options) {
    InstallInterruptHandler();
    const bool progress = !options.json && isatty(STDERR_FILENO);
    JsonWriter json;
    const bool asArray = options.json && options.images.size() > 1;
    if (asArray)
        json.BeginArray();
    int status = kExitAuthentic;
    for (std::size_t i = 0; i < options.images.size(); ++i) {
        const std::string& path = options.images[i];
        TerminalHooks hooks(false, progress);
        hooks.SetMessage("Authenticating " + path);
        const Result<AuthReport> result = Examine(path, hooks);
        hooks.ShowProgress(false);
        status = Worse(status, StatusOf(result));
        if (options.json) {
            result ? WriteReportJson(json, *result) : WriteFailureJson(json, result.GetError());
            continue;
        }
        if (!result) {
            std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(result.GetError()).c_str());
            continue;
        }
        if (i > 0)
            std::fputs("\n", stdout);
        std::fputs(VerifyText(*result).c_str(), stdout);
        if (WasInterrupted())
            break;
    }
    if (asArray)
        json.EndArray();
    if (options.json)
        std::printf("%s\n", json.Text().c_str());
    return status;
}

}  // namespace tvx::cli

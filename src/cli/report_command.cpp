#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/plugin.h"
#include "cli/report_text.h"
#include "cli/terminal_hooks.h"
#include "core/absolute_path.h"
#include "export/pending_output.h"
#include "formats/examination.h"

#include <array>
#include <cstdio>
#include <unistd.h>

namespace tvx::cli {

namespace {

// The entry point of the report plugin (src/report): the PDF to fd, 0 when written.
using WriteReport = int(const ReportData* data, int fd, char* error, std::size_t errorSize);

int Complain(int status, const std::string& text) {
    std::fprintf(stderr, "tessivox-cli: %s\n", text.c_str());
    return status;
}

Result<WriteReport*> LoadRenderer() {
    Result<Plugin> plugin = Plugin::Open("report");
    if (!plugin)
        return plugin.GetError();
    if (WriteReport* entry = plugin->Entry<WriteReport>("tvx_write_report"))
        return entry;
    return Error{Cause::NotFound, 0, "libtvx_report.so", 0, "has no report writer in it"};
}

int Write(WriteReport* write, const ReportData& data, PendingOutput& output) {
    std::array<char, 512> why{};
    if (write(&data, output.Descriptor(), why.data(), why.size()) != 0)
        return Complain(kExitOutput, output.Target() + ": the report could not be written: " +
                                         why.data());
    if (const auto failed = output.Commit())
        return Complain(kExitOutput, FailureText(*failed));
    std::printf("%s\n", output.Target().c_str());
    return IsAllAuthentic(data.report) ? kExitAuthentic : kExitIrregular;
}

}  // namespace

int RunReport(const Options& options) {
    const Result<WriteReport*> write = LoadRenderer();
    if (!write)
        return Complain(kExitOutput, "the report cannot be made by this installation: " +
                                         FailureText(write.GetError()));
    const std::string image = AbsolutePath(options.images.front());
    Result<PendingOutput> output = PendingOutput::Begin(options.outFolder, image, options.assumeYes);
    if (!output)
        return Complain(kExitOutput, FailureText(output.GetError()));
    InstallInterruptHandler();
    TerminalHooks hooks(false, isatty(STDERR_FILENO) != 0);
    hooks.SetMessage("Examining " + image);
    const Result<ReportData> data = ExamineForReport(image, hooks, kBatchPieceRecords);
    hooks.ShowProgress(false);
    if (WasInterrupted())
        return kExitInterrupted;
    if (!data)
        return Complain(kExitUnreadable, FailureText(data.GetError()));
    return Write(*write, *data, *output);
}

}  // namespace tvx::cli

#include "formats/examination.h"

#include "core/string_table.h"
#include "export/background_hash.h"
#include "formats/home_of.h"

#include <chrono>
#include <ctime>

namespace tvx {

namespace {

Error Cancelled(const std::string& path) {
    return {Cause::Io, 0, path, 0, "The examination was cancelled; no report is written"};
}

}  // namespace

Examined ExamineImage(const std::string& path, Hooks& hooks, AuthTally& tally, bool hash,
                      std::size_t pieceRecords) {
    if (!hash)
        return {HomeFor(path).Authenticate(path, hooks, tally, pieceRecords), std::nullopt};
    BackgroundHash digest(path);
    Examined out{HomeFor(path).Authenticate(path, hooks, tally, pieceRecords), std::nullopt};
    const bool shown = out.report && !out.report->cancelled;
    if (!shown)
        digest.Stop();
    while (!digest.IsReady(std::chrono::milliseconds(50))) {
        if (hooks.IsCancelled())
            digest.Stop();
        hooks.PumpWaitingMessage();
    }
    const Result<FileHash> taken = digest.Take();
    if (shown && taken)
        out.hash = *taken;
    else if (shown && !hooks.IsCancelled())
        out.report = taken.GetError();
    return out;
}

Result<ReportData> ExamineForReport(const std::string& path, Hooks& hooks,
                                    std::size_t pieceRecords) {
    ReportData data{"Tessivox", LoadString(102), IsoUtc(std::time(nullptr)), {}, {}, {}, {}};
    auto tally = std::make_shared<AuthTally>();
    Examined examined = ExamineImage(path, hooks, *tally, true, pieceRecords);
    if (!examined.report)
        return examined.report.GetError();
    if (!examined.hash)   // a report needs the whole examination
        return Cancelled(path);
    data.report = std::move(*examined.report);
    data.hash = std::move(*examined.hash);
    data.tally = std::move(tally);
    data.peaks = BuildPeaks(path, FormatOf(path).rules, kReportColumns, hooks);
    if (data.peaks.cancelled)
        return Cancelled(path);
    return data;
}

}  // namespace tvx

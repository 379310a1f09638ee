#include "export/convert_pass.h"

#include "core/file64.h"
#include "core/format.h"
#include "core/string_table.h"

#include <unistd.h>

namespace tvx {

namespace {

bool FileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

}  // namespace

Error ErrorOf(const std::exception& failure) {
    if (const auto* file = dynamic_cast<const CFileException*>(&failure))
        return file->ToError();
    return IoError(0);
}

ConvertResult RunPass(const ConvertRequest& request, Hooks& hooks,
                      const std::function<void(const SegmentNames&, ConvertResult&)>& pass) {
    ConvertResult result;
    const SegmentNames names = NameSegments(request.source, request.folder);
    const std::string firstWav = names.WavPath(0);
    if (FileExists(firstWav) &&
        !hooks.AskYesNo(LoadString(109), Format(LoadString(110), firstWav.c_str()))) {
        result.outcome = ConvertOutcome::Declined;
        return result;
    }
    hooks.SetMessage(Format(LoadString(111), FileNameOf(request.source).c_str()));
    hooks.SetRange(1000);
    hooks.BeginWaitCursor();
    pass(names, result);
    hooks.EndWaitCursor();
    hooks.ShowProgress(false);
    return result;
}

void EndPass(SegmentWriter& writer, bool cancelled, Hooks& hooks, ConvertResult& result) {
    if (!cancelled) {
        try {
            writer.FinishSegment();
            hooks.SetPos(1000);
            result.outcome = ConvertOutcome::Completed;
            return;
        } catch (const std::exception& failure) {
            result.error = ErrorOf(failure);
        }
    }
    writer.EndCancelled();
    result.outcome = ConvertOutcome::Cancelled;
}

bool ConvertSegments(SegmentWriter& writer, ConvertResult& result,
                     std::span<const HeaderError> headerErrors,
                     const std::function<bool()>& loop) {
    try {
        Error openFailure;
        if (!writer.OpenFirst(&openFailure)) {
            result.error = openFailure;
            return false;
        }
        result.outcome = ConvertOutcome::Cancelled;
        for (const HeaderError& header : headerErrors) {
            writer.WriteErrorLine(Format(LoadString(151), header.number), header.status);
            ++result.irregularBlocks;
        }
        return loop();
    } catch (const std::exception& failure) {
        if (result.outcome == ConvertOutcome::NotStarted)
            result.outcome = ConvertOutcome::Cancelled;
        result.error = ErrorOf(failure);
        return true;
    }
}

}  // namespace tvx

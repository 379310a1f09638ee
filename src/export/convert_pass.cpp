#include "export/convert_pass.h"

#include "core/file64.h"
#include "core/format.h"
#include "core/string_table.h"
#include "export/background_hash.h"
#include "export/manifest.h"
#include "export/output_files.h"

namespace tvx {

namespace {

ConvertResult Refused(const Error& error) {
    ConvertResult result;
    result.error = error;
    result.outputFailed = true;
    return result;
}

bool Failed(const Error& error) {
    return error.osError != 0 || !error.path.empty() || !error.detail.empty();
}

// Only a conversion that ran to its end unharmed gets a manifest: a cancelled or failed one
// leaves its segments as they ended and no list that would vouch for them. A failed hash of
// the image is the image's failure; everything after it is the manifest's, an output's.
void AddManifest(const OutputTarget& target, BackgroundHash& source, Hooks& hooks,
                 ConvertResult& result) {
    if (result.outcome != ConvertOutcome::Completed || Failed(result.error)) {
        source.Stop();
        return;
    }
    const Result<FileHash> sourceHash = source.Take();
    if (!sourceHash) {
        result.error = sourceHash.GetError();
        return;
    }
    // One turn of the message loop per MiB hashed, so the window stays alive over gigabytes.
    int reads = 0;
    const auto keepGoing = [&] { return ++reads % 4 != 0 || hooks.PumpWaitingMessage(); };
    const std::string manifest = ManifestPath(target.names);
    if (auto failed = WriteManifest(manifest, target.source, *sourceHash, result.files, result.digests,
                                    keepGoing)) {
        result.error = *failed;
        result.outputFailed = true;
        return;
    }
    result.manifest = manifest;
}

}  // namespace

Error ErrorOf(const std::exception& failure) {
    if (const auto* file = dynamic_cast<const CFileException*>(&failure))
        return file->ToError();
    return IoError(0);
}

ConvertResult RunPass(const ConvertRequest& request, Hooks& hooks,
                      const std::function<void(const OutputTarget&, ConvertResult&)>& pass) {
    OutputTarget target{request.source, NameSegments(request.source, request.folder), {}, false};
    // Any segment of an earlier run counts, not only the first: its higher segments would
    // otherwise stay beside this run's. A hostile name is refused before anyone is asked.
    Result<std::vector<std::string>> earlier = FindSegmentFiles(target.names);
    if (!earlier)
        return Refused(earlier.GetError());
    for (const std::string& path : *earlier) {
        if (auto refused = RefusalToReplace(path, request.source))
            return Refused(*refused);
    }
    ConvertResult result;
    if (!earlier->empty()) {
        const std::string& shown = earlier->front();   // segment 0's WAV when it is there
        if (!hooks.AskYesNo(LoadString(109), Format(LoadString(110), shown.c_str()))) {
            result.outcome = ConvertOutcome::Declined;
            result.error.path = shown;
            return result;
        }
        target.earlier = std::move(*earlier);
        target.replace = true;
    }
    hooks.SetMessage(Format(LoadString(111), FileNameOf(request.source).c_str()));
    hooks.SetRange(1000);
    hooks.BeginWaitCursor();
    BackgroundHash sourceHash(request.source);
    pass(target, result);
    AddManifest(target, sourceHash, hooks, result);
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
            result.digests = writer.Digests();
            return;
        } catch (const std::exception& failure) {
            result.error = writer.Failure() ? *writer.Failure() : ErrorOf(failure);
            result.outputFailed = true;
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
            result.outputFailed = true;
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
        result.outputFailed = writer.Failure().has_value();
        result.error = result.outputFailed ? *writer.Failure() : ErrorOf(failure);
        return true;
    }
}

}  // namespace tvx

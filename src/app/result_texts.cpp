#include "app/result_texts.h"

#include "core/datetime.h"
#include "core/error.h"
#include "core/format.h"

namespace tvx::app {

namespace {

std::string CountText(std::int32_t count) {
    return Format("%li", static_cast<long>(count));
}

}  // namespace

ResultTexts TickTexts(const AuthDurations& d, const TallyCounts& c) {
    return {FormatMs(d.durationMs),     FormatMs(d.verifiedMs),
            FormatMs(d.irregularMs),    FormatMs(d.unauthenticatedMs),
            CountText(c.unitIdErrors),  CountText(c.fileNumberErrors),
            CountText(c.sequenceErrors), CountText(c.checksumErrors)};
}

ResultTexts LoadTexts(const std::string& length) {
    return {length, kZeroDuration, kZeroDuration, length, "0", "0", "0", "0"};
}

ResultTexts EmptyTexts() {
    return {kZeroDuration, kZeroDuration, kZeroDuration, kZeroDuration, "0", "0", "0", "0"};
}

std::string StatusLineText(std::int64_t oneBlockMs) {
    return Format("AUTHENTICATING (%0.3f SECONDS)", static_cast<double>(oneBlockMs) * 0.001);
}

std::string ConvertFailureText(const ConvertResult& result) {
    const Error& e = result.error;
    const std::string cause = DescribeError(e);
    if (result.outcome == ConvertOutcome::NotStarted)
        return Format("Failed to open: %s\n\nCause: %s", e.path.c_str(), cause.c_str());
    const bool failed = e.osError != 0 || !e.path.empty() || !e.detail.empty();
    if (!failed || result.outcome == ConvertOutcome::Declined)
        return {};
    if (result.outcome == ConvertOutcome::Completed && result.outputFailed)
        return Format("The segments are complete, but their checksum list could not be written:"
                      "\n\n%s\n\nCause: %s", e.path.c_str(), cause.c_str());
    // The files written so far stay; the last one says how it ended.
    return Format("Error - The conversion could not finish:\n\n%s\n\nCause: %s", e.path.c_str(),
                  cause.c_str());
}

}  // namespace tvx::app

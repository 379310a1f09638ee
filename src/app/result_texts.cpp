#include "app/result_texts.h"

#include "core/datetime.h"
#include "core/error.h"
#include "core/format.h"

namespace tvx::app {

namespace {

std::string CountText(std::int32_t count) {
    return Format("%li", static_cast<long>(count));
}

// The load's 32-bit form: a length past 2^31 ms wraps as it always has.
std::string Duration32(std::int64_t ms) {
    const auto v = static_cast<std::int32_t>(ms);
    return Format("%02i:%02i:%02i.%03i", v / 3600000, v / 60000 % 60, v / 1000 % 60, v % 1000);
}

}  // namespace

ResultTexts TickTexts(const AuthDurations& d, const TallyCounts& c) {
    return {FormatMs(d.durationMs),     FormatMs(d.verifiedMs),
            FormatMs(d.irregularMs),    FormatMs(d.unauthenticatedMs),
            CountText(c.unitIdErrors),  CountText(c.fileNumberErrors),
            CountText(c.sequenceErrors), CountText(c.checksumErrors)};
}

ResultTexts LoadTexts(ImageFormat format, std::int64_t lengthMs) {
    const std::string length = format == ImageFormat::Ix2 ? FormatMs(lengthMs) : Duration32(lengthMs);
    return {length, kZeroDuration, kZeroDuration, length, "0", "0", "0", "0"};
}

ResultTexts EmptyTexts() {
    return {kZeroDuration, kZeroDuration, kZeroDuration, kZeroDuration, "0", "0", "0", "0"};
}

std::string StatusLineText(std::int64_t oneBlockMs) {
    return Format("AUTHENTICATING (%0.3f SECONDS)", static_cast<double>(oneBlockMs) * 0.001);
}

std::string ElapsedText(std::int64_t playMs) {
    const std::int64_t seconds = playMs > 0 ? playMs / 1000 : 0;   // queued audio can lead
    return Format("Elapsed Time: %02d:%02d:%02d", static_cast<int>(seconds / 3600 % 24),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
}

std::string ConvertFailureText(const ConvertResult& result) {
    const Error& e = result.error;
    const std::string cause = DescribeError(e);
    if (result.outcome == ConvertOutcome::NotStarted)
        return Format("Failed to open: %s\n\nCause: %s", e.path.c_str(), cause.c_str());
    const bool failed = e.osError != 0 || !e.path.empty() || !e.detail.empty();
    if (!failed || result.outcome == ConvertOutcome::Declined)
        return {};
    // The files written so far stay; the last one says how it ended.
    return Format("Error - The conversion could not finish:\n\n%s\n\nCause: %s", e.path.c_str(),
                  cause.c_str());
}

}  // namespace tvx::app

#pragma once

#include "analysis/auth_tally.h"
#include "export/convert.h"
#include "play/player_texts.h"

#include <cstdint>
#include <string>

namespace tvx::app {

// The eight texts of "Authentication Results:" and "Irregular Packets:".
struct ResultTexts {
    std::string duration;
    std::string verified;
    std::string irregularities;
    std::string unauthenticated;
    std::string unitIdCount;
    std::string fileNumberCount;
    std::string sequenceCount;
    std::string checksumCount;
};

inline constexpr const char* kZeroDuration = "00:00:00.000";

// What a tick shows: every duration through FormatMs, each count as "%li".
ResultTexts TickTexts(const AuthDurations& durations, const TallyCounts& counts);

// Right after a load: Duration and Unauthenticated both show the whole length as the player
// words it (Player::LengthText), nothing is judged yet.
ResultTexts LoadTexts(const std::string& length);

// The empty window.
ResultTexts EmptyTexts();

// "AUTHENTICATING (%0.3f SECONDS)": the length of audio one block covers.
std::string StatusLineText(std::int64_t oneBlockMs);
inline constexpr const char* kStatusIdle = "AUTHENTICATING";

// What a conversion that met a failure tells the user: the file it could not open or went
// wrong in, and why. Nothing when it ran to its end, or stopped at Cancel or No.
std::string ConvertFailureText(const ConvertResult& result);

}  // namespace tvx::app

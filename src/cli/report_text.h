#pragma once

#include "analysis/authenticate.h"
#include "core/error.h"

#include <string>

namespace tvx::cli {

inline constexpr const char* kDateFormat = "%a, %d %b %Y, %H:%M:%S";

// Every byte the image should hold, judged and authentic: the header, exactly the blocks it
// states (an IX2 file: those of its split) and, for IMG, the voice-image checksum chain.
bool IsAllAuthentic(const AuthReport& report);

// As the main window shows them: a chain's own values with the outer image's as the slave.
std::string UnitIdText(const AuthReport& report);
std::string FileNumberText(const AuthReport& report);

// The report as the main window would show it, for a reader.
std::string VerifyText(const AuthReport& report);

// "PATH: reason" for an image that could not be examined.
std::string FailureText(const Error& error);

}  // namespace tvx::cli

#pragma once

#include "analysis/authenticate.h"
#include "core/error.h"

#include <string>

namespace tvx::cli {

inline constexpr const char* kDateFormat = "%a, %d %b %Y, %H:%M:%S";

// Every block there is, judged and authentic: the header, and each block the header states.
bool IsAllAuthentic(const AuthReport& report);

// The report as the main window would show it, for a reader.
std::string VerifyText(const AuthReport& report);

// "PATH: reason" for an image that could not be examined.
std::string FailureText(const Error& error);

}  // namespace tvx::cli

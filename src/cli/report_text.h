#pragma once

#include "analysis/authenticate.h"
#include "core/error.h"
#include "core/file_hash.h"

#include <string>

namespace tvx::cli {

inline constexpr const char* kDateFormat = "%a, %d %b %Y, %H:%M:%S";

// Every byte the image should hold, judged and authentic: the header, exactly the blocks it
// states (an IX2 file: those of its split) and, for IMG, the voice-image checksum chain.
bool IsAllAuthentic(const AuthReport& report);

// As the main window shows them: a chain's own values with the outer image's as the slave.
std::string UnitIdText(const AuthReport& report);
std::string FileNumberText(const AuthReport& report);

// The report as the main window would show it, for a reader; with a hash, the file's size,
// modification time and SHA-256 under its path.
std::string VerifyText(const AuthReport& report, const FileHash* hash = nullptr);

// "PATH: reason" for an image that could not be examined.
std::string FailureText(const Error& error);

}  // namespace tvx::cli

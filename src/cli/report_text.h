#pragma once

#include "analysis/authenticate.h"
#include "analysis/examination_report.h"
#include "core/error.h"
#include "core/file_hash.h"

#include <string>

namespace tvx::cli {

// The report as the main window would show it, for a reader; with a hash, the file's size,
// modification time and SHA-256 under its path.
std::string VerifyText(const AuthReport& report, const FileHash* hash = nullptr);

// "PATH: reason" for an image that could not be examined.
std::string FailureText(const Error& error);

}  // namespace tvx::cli

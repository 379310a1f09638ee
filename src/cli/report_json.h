#pragma once

#include "analysis/authenticate.h"
#include "cli/json_writer.h"
#include "core/error.h"
#include "core/file_hash.h"

namespace tvx::cli {

// The document: {"tool": "tessivox-cli", "version": ..., "images": [...]}, one image or many.
void BeginReportsJson(JsonWriter& json);
void EndReportsJson(JsonWriter& json);

// With a hash (verify --hash), "size", "mtime" and "sha256" follow the path.
void WriteReportJson(JsonWriter& json, const AuthReport& report, const FileHash* hash = nullptr);
void WriteFailureJson(JsonWriter& json, const Error& error);

}  // namespace tvx::cli

#pragma once

#include "analysis/authenticate.h"
#include "cli/json_writer.h"
#include "core/error.h"

namespace tvx::cli {

// The document: {"tool": "tessivox-cli", "version": ..., "images": [...]}, one image or many.
void BeginReportsJson(JsonWriter& json);
void EndReportsJson(JsonWriter& json);

void WriteReportJson(JsonWriter& json, const AuthReport& report);
void WriteFailureJson(JsonWriter& json, const Error& error);

}  // namespace tvx::cli

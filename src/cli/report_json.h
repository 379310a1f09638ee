#pragma once

#include "analysis/authenticate.h"
#include "cli/json_writer.h"
#include "core/error.h"

namespace tvx::cli {

void WriteReportJson(JsonWriter& json, const AuthReport& report);
void WriteFailureJson(JsonWriter& json, const Error& error);

}  // namespace tvx::cli

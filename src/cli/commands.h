#pragma once

#include "cli/options.h"

namespace tvx::cli {

// Each returns the tool's exit status.
int RunVerify(const Options& options);
int RunConvert(const Options& options);
int RunDetails(const Options& options);
int RunPeaks(const Options& options);
int RunPlay(const Options& options);
int RunReport(const Options& options);

}  // namespace tvx::cli

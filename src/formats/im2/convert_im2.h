#pragma once

#include "core/hooks.h"
#include "export/convert.h"

namespace tvx {

struct PassOptions {
    // Decode ahead on a worker thread; the files and the hooks' calls are the same either way.
    bool readAhead = true;
};

// Converts an IM2 image into WAV segments with a summary text beside each. Runs on the
// caller's thread, which gets one PumpWaitingMessage and one IsCancelled per block.
ConvertResult ConvertIm2(const ConvertRequest& request, Hooks& hooks);
ConvertResult ConvertIm2(const ConvertRequest& request, Hooks& hooks, const PassOptions& options);

}  // namespace tvx

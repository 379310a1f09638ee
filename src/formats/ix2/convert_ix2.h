#pragma once

#include "core/hooks.h"
#include "export/convert.h"

namespace tvx {

// Converts an IX2 file, plain or chain, into WAV segments with a summary text beside each;
// a chain's audio is its inner stream. Runs on the caller's thread, which gets one
// PumpWaitingMessage and one IsCancelled per block.
ConvertResult ConvertIx2(const ConvertRequest& request, Hooks& hooks);

}  // namespace tvx

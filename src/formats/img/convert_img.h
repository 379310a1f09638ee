#pragma once

#include "core/hooks.h"
#include "export/convert.h"

namespace tvx {

// Converts an IMG image into 8-bit mono WAV segments with a summary text beside each. Record 1
// is the header: it resynchronises the decoder and is not converted. Runs on the caller's
// thread, which gets one PumpWaitingMessage and one IsCancelled per record.
ConvertResult ConvertImg(const ConvertRequest& request, Hooks& hooks);

}  // namespace tvx

#pragma once

#include "core/hooks.h"
#include "export/convert.h"

#include <cstdint>

namespace tvx {

struct PassOptions {
    // Decode ahead on a worker thread; the files and the hooks' calls are the same either way.
    bool readAhead = true;
};

// Converts an IM2 image into WAV segments with a summary text beside each. Runs on the
// caller's thread, which gets one PumpWaitingMessage and one IsCancelled per block.
ConvertResult ConvertIm2(const ConvertRequest& request, Hooks& hooks);
ConvertResult ConvertIm2(const ConvertRequest& request, Hooks& hooks, const PassOptions& options);

class CIm2;
class SegmentWriter;
struct DecodedBlock;

// One decoded block into the segments, for the IM2 and IX2 passes: its error line when it is
// irregular, then its audio; the block order of image moves on and the progress with it.
void WriteDecodedBlock(SegmentWriter& writer, CIm2& image, const DecodedBlock& block,
                       std::uint64_t total, Hooks& hooks, ConvertResult& result);

}  // namespace tvx

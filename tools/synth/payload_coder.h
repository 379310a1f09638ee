#pragma once

#include "synth/synth.h"

#include <cstdint>
#include <span>

namespace tvx::synth {

// Codes one record's worth of signal (layout.samplesPerChannel frames, interleaved) into the
// plain payload the decoder reads for the layout's variant.
void CodePayload(const Layout& layout, std::span<const std::int16_t> signal,
                 std::span<std::uint8_t, kPayloadSize> plain);

}  // namespace tvx::synth

#pragma once

#include "core/block_record.h"
#include "core/im2.h"
#include "synth/synth.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tvx::test {

using Plain = std::array<std::uint8_t, kPayloadSize>;

// A plain payload: the bytes given, then `fill` to the end.
Plain PlainOf(std::initializer_list<int> prefix, std::uint8_t fill);

// The two bytes of a 16-bit initial sample, low first, for PlainOf lists.
inline int Lo(int v) { return v & 0xFF; }
inline int Hi(int v) { return (v >> 8) & 0xFF; }

// A CIm2 whose reference state comes from the header of a synthesized image of `options`.
void LoadState(CIm2& im2, const synth::Im2Options& options);

// A sealed data record of the image of `options` carrying this plain payload.
Record RecordOf(const synth::Im2Options& options, const Plain& plain, std::uint32_t index = 0);

// Decoded bytes as signed little-endian 16-bit samples.
std::vector<int> As16(const std::uint8_t* bytes, std::size_t count);

// Options for one stored width, channel count and model code, other fields at their defaults.
synth::Im2Options OptionsFor(int storedBits, int channels, std::uint8_t modelCode);

}  // namespace tvx::test

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tvx {

// Records decoded side by side, one in each vector lane.
inline constexpr std::size_t kDecodeLanes = 8;

// Whether this processor has the vectors that DecodeCode4Lanes runs on.
bool DecodesInLanes();

// Decodes kDecodeLanes deciphered payloads of one 4-bit code (compression 4 or 6) at
// unity gain, payload j into outs[j] (kMaxDecodedBytes each), to exactly the bytes that
// decoding one record at a time writes. A record's samples depend only on its own payload,
// so eight records run at once. Returns the bytes written into each. Call only where
// DecodesInLanes() is true.
std::uint16_t DecodeCode4Lanes(const std::array<const std::uint8_t*, kDecodeLanes>& payloads,
                               int compression, int channels,
                               const std::array<std::uint8_t*, kDecodeLanes>& outs);

}  // namespace tvx

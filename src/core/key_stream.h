#pragma once

#include <cstdint>

namespace tvx {

// The cipher's key runs on the cipher bytes (k = k + e), so the key before byte i is the key
// at the start plus the sum of the bytes before it: a prefix sum, worked sixteen bytes at once.

// Sum modulo 256 of the 512 payload bytes.
std::uint8_t PayloadSum(const std::uint8_t* payload);
// The same on sixteen-byte vectors, as a processor without the wider ones runs it.
std::uint8_t PayloadSumNarrow(const std::uint8_t* payload);

// Deciphers the 512 payload bytes into plain (plain = e ^ k, then k = k + e) from the key k;
// returns the key after the last byte.
std::uint8_t DecipherPayload(const std::uint8_t* cipher, std::uint8_t* plain, std::uint8_t k);
// The same on sixteen-byte vectors, as a processor without the wider ones runs it.
std::uint8_t DecipherPayloadNarrow(const std::uint8_t* cipher, std::uint8_t* plain, std::uint8_t k);

}  // namespace tvx

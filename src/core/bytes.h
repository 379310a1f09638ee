#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tvx {

// Every multi-byte field on disk is little-endian; loads are built from shifts so the
// host's byte order and alignment never matter.
constexpr std::uint16_t LoadLe16(std::span<const std::uint8_t> b, std::size_t at) {
    assert(at + 2 <= b.size() && "load past the buffer");
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

constexpr std::uint32_t LoadLe32(std::span<const std::uint8_t> b, std::size_t at) {
    assert(at + 4 <= b.size() && "load past the buffer");
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 |
           std::uint32_t{b[at + 2]} << 16 | std::uint32_t{b[at + 3]} << 24;
}

constexpr void StoreLe16(std::span<std::uint8_t> b, std::size_t at, std::uint16_t v) {
    assert(at + 2 <= b.size() && "store past the buffer");
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

constexpr void StoreLe32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
    assert(at + 4 <= b.size() && "store past the buffer");
    for (std::size_t i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace tvx

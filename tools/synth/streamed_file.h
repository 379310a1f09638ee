#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tvx::synth {

// Writes what `next` appends to its batch, call after call until it returns false, into a
// temporary file beside path that takes the final name only when whole.
bool WriteStreamed(const std::string& path,
                   const std::function<bool(std::vector<std::uint8_t>& batch)>& next);

}  // namespace tvx::synth

#pragma once

#include <cstddef>
#include <cstdint>

namespace tvx::fuzz {

// Opens, authenticates, describes, draws and converts the bytes as an IX2 file. `chain`
// forces the model code of index block 2 to one that makes the file a chain or a plain file,
// so each target explores its own kind whatever the mutations do to that byte.
void ExamineIx2(const std::uint8_t* data, std::size_t size, bool chain);

}  // namespace tvx::fuzz

#pragma once

namespace tvx {

// The program's fixed texts, by their resource ids; an unknown id gives "".
const char* LoadString(int id);

inline constexpr const char* kVersion = "1.3.7";

}  // namespace tvx

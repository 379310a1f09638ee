#pragma once

namespace tvx {

// The program's fixed texts, by their resource ids; an unknown id gives "".
const char* LoadString(int id);

}  // namespace tvx

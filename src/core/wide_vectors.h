#pragma once

namespace tvx {

// Whether this processor has AVX2; the loops that use it choose at run time, so one build
// runs on any x86-64.
bool WideVectors();

}  // namespace tvx

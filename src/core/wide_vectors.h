#pragma once

namespace tvx {

// Whether this processor has AVX2; the loops that use it choose at run time, so one build
// runs on any x86-64.
bool DetectWideVectors();

// Asked once per record by the hottest loops, so the answer is kept where the call inlines.
inline bool WideVectors() {
    static const bool wide = DetectWideVectors();
    return wide;
}

}  // namespace tvx

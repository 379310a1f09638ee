#include "core/wide_vectors.h"

namespace tvx {

bool WideVectors() {
#if defined(__x86_64__)
    static const bool wide = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return wide;
#else
    return false;
#endif
}

}  // namespace tvx

#include "core/wide_vectors.h"

namespace tvx {

bool DetectWideVectors() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

}  // namespace tvx

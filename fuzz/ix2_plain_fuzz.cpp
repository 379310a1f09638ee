// An arbitrary byte string as a plain IX2 file (index block 2 never names plain 8-bit).

#include "fuzz/ix2_image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tvx::fuzz::ExamineIx2(data, size, false);
    return 0;
}

// An arbitrary byte string as an IX2 chain file: the outer blocks' payloads carry the stream.

#include "fuzz/ix2_image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tvx::fuzz::ExamineIx2(data, size, true);
    return 0;
}

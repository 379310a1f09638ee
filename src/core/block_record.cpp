#include "core/block_record.h"

#include "core/key_stream.h"

namespace tvx {

std::uint8_t KeyOf(RecordView r) {
    std::uint8_t k = 0;
    for (std::size_t i = kOffFileNumber; i <= kOffFormatByte; ++i)
        k ^= r[i];
    return k;
}

std::uint8_t TrailerSumOf(RecordView r) {
    std::uint8_t t = 0;
    for (std::size_t i = kOffFileNumber; i <= kOffModelCode; ++i)
        t = static_cast<std::uint8_t>(t + r[i]);
    return t;
}

BlockStatus ChecksumStatus(RecordView r) {
    // One pass over the trailer gives the key and the trailer sum; the block sum is the key
    // plus every byte before it, which is the payload's sum, the trailer's and byte 526.
    std::uint8_t key = 0;
    std::uint8_t trailer = 0;
    for (std::size_t i = kOffFileNumber; i <= kOffFormatByte; ++i) {
        key ^= r[i];
        trailer = static_cast<std::uint8_t>(trailer + r[i]);
    }
    trailer = static_cast<std::uint8_t>(trailer + r[kOffModelCode]);
    const auto sum =
        static_cast<std::uint8_t>(PayloadSum(r.data()) + trailer + r[kOffTrailerSum] + key);
    const bool sumOk = sum == r[kOffBlockSum];
    const bool trailerOk = trailer == r[kOffTrailerSum];
    return (sumOk && trailerOk) ? 0 : kIrregular | kChecksumError;
}

}  // namespace tvx

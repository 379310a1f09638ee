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
    std::uint32_t sum = KeyOf(r) + PayloadSum(r.data());
    for (std::size_t i = kPayloadSize; i < kOffBlockSum; ++i)
        sum += r[i];
    const bool sumOk = static_cast<std::uint8_t>(sum) == r[kOffBlockSum];
    const bool trailerOk = TrailerSumOf(r) == r[kOffTrailerSum];
    return (sumOk && trailerOk) ? 0 : kIrregular | kChecksumError;
}

}  // namespace tvx

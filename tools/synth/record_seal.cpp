#include "synth/synth.h"

namespace tvx::synth {
namespace {

// The block sum is the cipher's key after the payload, run on through bytes 512..526, so it is
// the key plus the sum of every byte before it; ChecksumStatus and Decode both read it so.
std::uint8_t BlockSumOf(const Record& r) {
    std::uint32_t sum = KeyOf(r);
    for (std::size_t i = 0; i < kOffBlockSum; ++i)
        sum += r[i];
    return static_cast<std::uint8_t>(sum);
}

}  // namespace

Record SealRecord(std::span<const std::uint8_t, kPayloadSize> plain, const TrailerFields& t) {
    Record r{};
    StoreLe16(r, kOffFileNumber, t.fileNumber);
    StoreLe16(r, kOffUnitNumber, t.unitNumber);
    StoreLe32(r, kOffTimestamp, t.timestamp);
    StoreLe32(r, kOffBlockIndex, t.blockIndex);
    r[kOffFormatByte] = t.formatByte;
    r[kOffModelCode] = t.modelCode;
    // Autokey: the key runs on the enciphered bytes, so the decoder can rebuild it as it reads.
    std::uint8_t k = KeyOf(r);
    for (std::size_t i = 0; i < kPayloadSize; ++i) {
        const auto e = static_cast<std::uint8_t>(plain[i] ^ k);
        r[i] = e;
        k = static_cast<std::uint8_t>(k + e);
    }
    ResealSums(r);
    return r;
}

void ResealSums(Record& record) {
    record[kOffTrailerSum] = TrailerSumOf(record);
    record[kOffBlockSum] = BlockSumOf(record);
}

}  // namespace tvx::synth

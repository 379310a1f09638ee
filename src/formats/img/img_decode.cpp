#include "formats/img/img_decode.h"

#include "core/bytes.h"

#include <algorithm>

namespace tvx {

namespace {

// Global on purpose: the predictor and the running voice checksum carry from one record to
// the next across calls, as the units' own software keeps them, and a conversion starts by
// passing its header record through. Conversions run one at a time on the window's thread,
// and the players' workers never decode through it.
struct ImgDecoderState {
    std::uint16_t predictor = 0;
    std::uint8_t runningSum = 0;
};
ImgDecoderState g_imgDecoder;

}  // namespace

BlockStatus DecodeImgRecord(const CImg& img, std::uint32_t recordCounter,
                            std::span<std::uint8_t> out, std::uint16_t* count) {
    const Record& r = img.m_record;
    std::size_t n = 0;
    std::uint8_t sum = 0;
    bool blank = true;
    std::uint64_t group = 0;
    int inGroup = 0;
    for (std::size_t i = 0; i < kPayloadSize; ++i) {
        const std::uint8_t b = r[i];
        sum = static_cast<std::uint8_t>(sum + b);
        blank = blank && b == 0xFF;
        if (i == 0 || img.m_nCoding == 8) {
            out[n++] = b;
            g_imgDecoder.predictor = b;
            continue;
        }
        if (i > 510)
            continue;   // the last byte of a 5-bit record only counts in the checksum
        group = group << 8 | b;
        if (++inGroup < 5)
            continue;
        for (int c = 7; c >= 0; --c) {
            const auto code = static_cast<unsigned>(group >> (5 * c) & 0x1F);
            const int step = kImgSteps[code & 15];
            const int s = std::clamp(g_imgDecoder.predictor + ((code & 0x10) ? -step : step), 0, 255);
            out[n++] = static_cast<std::uint8_t>(s);
            g_imgDecoder.predictor = static_cast<std::uint16_t>(s);
        }
        group = 0;
        inGroup = 0;
    }
    *count = static_cast<std::uint16_t>(n);
    if (n != LoadLe16(r, kImgOffSampleCount))
        std::fill_n(out.begin(), n, std::uint8_t{128});
    if (blank)
        return 0;

    BlockStatus s = 0;
    if (LoadLe16(r, kImgOffUnitId) != img.m_nRefUnitId)
        s |= kIrregular | kUnitIdError;
    if (LoadLe16(r, kImgOffFileNumber) != img.m_nRefFileNumber)
        s |= kIrregular | kFileNumberError;
    const std::uint32_t index = std::uint32_t{LoadLe16(r, kImgOffBlockNumber + 2)} << 16 |
                                LoadLe16(r, kImgOffBlockNumber);
    if (index != recordCounter + 1)
        s |= kIrregular | kBlockOrderError;
    if (r[kImgOffBlockSum] != sum)
        s |= kIrregular | kChecksumError;
    return s | StepVoiceChain(g_imgDecoder.runningSum, r, sum);
}

bool IsErasedRecord(RecordView record) {
    return std::all_of(record.begin(), record.begin() + kPayloadSize,
                       [](std::uint8_t b) { return b == 0xFF; });
}

BlockStatus StepVoiceChain(std::uint8_t& running, RecordView record, std::uint8_t blockSum) {
    if (record[kImgOffBlockSum] == blockSum)
        running = static_cast<std::uint8_t>(running + blockSum);
    if (record[kImgOffVoiceSum] == running)
        return 0;
    running = record[kImgOffVoiceSum];
    return kIrregular | kVoiceImageError;
}

}  // namespace tvx

// The record decoders on one hostile record in the format state a header sets up. The 528
// bytes of the record come first; up to three more bytes stand for the header: its FormatByte
// (stored width code 4 to 7 included, one or two channels), its model code (every compression
// the table gives, or one it does not know) and Boost. Without them the header is the record's
// own. The same record then goes through both IMG decoders, 8-bit and 5-bit.

#include "formats/im2/im2.h"
#include "formats/img/img.h"
#include "formats/img/img_decode.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

using namespace tvx;

void DecodeIm2(const Record& record, std::span<const std::uint8_t> state) {
    CIm2 image;
    image.m_block = record;
    if (state.size() > 0)
        image.m_block[kOffFormatByte] = state[0];
    if (state.size() > 1)
        image.m_block[kOffModelCode] = state[1];
    image.InitFromHeader();
    image.m_block = record;
    image.m_dGain = state.size() > 2 && (state[2] & 1) ? 2.0 : 1.0;
    // Exactly the promised size on the heap: a byte past it is a heap overflow to the sanitizer.
    std::vector<std::uint8_t> out(kMaxDecodedBytes);
    std::uint16_t count = 0;
    const BlockStatus status = image.Decode(out, &count);
    TVX_FUZZ_CHECK(count > 0 && count <= kMaxDecodedBytes);
    TVX_FUZZ_CHECK(status == 0 || IsIrregular(status));
    // The record's time and the position derived from it are shown in the window.
    (void)image.PositionTime().Format("%a, %d %b %Y, %H:%M:%S");
    (void)image.CheckBuffered(true);
    (void)image.CheckBuffered(false);
    (void)image.IsHeaderBad();
}

void DecodeImg(const Record& record, std::span<const std::uint8_t> state) {
    std::vector<std::uint8_t> out(kImg5Samples);
    for (const std::uint8_t coding : {std::uint8_t{0}, std::uint8_t{1}}) {
        CImg img;
        img.m_record = record;
        img.m_record[kImgOffCoding] = coding;
        img.ParseReference();
        img.m_record = record;
        img.SetGain(state.size() > 2 && (state[2] & 1) ? 2.0 : 1.0);
        std::uint16_t count = 0;
        img.DecodeRecord(out, &count);
        TVX_FUZZ_CHECK(count == (coding ? kImg5Samples : kImg8Samples));
        DecodeImgRecord(img, 0, out, &count);
        TVX_FUZZ_CHECK(count == (coding ? kImg5Samples : kImg8Samples));
        (void)img.GetLengthMs();
        (void)img.GetPlayTime();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Record record{};
    std::memcpy(record.data(), data, std::min(size, kRecordSize));
    const std::span<const std::uint8_t> state(data + std::min(size, kRecordSize),
                                              size - std::min(size, kRecordSize));
    DecodeIm2(record, state);
    DecodeImg(record, state);
    return 0;
}

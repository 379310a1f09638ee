#include "synth/image_reading.h"

#include <algorithm>
#include <cassert>

namespace tvx::synth {
namespace {

void LoadRecord(CIm2& im2, std::span<const std::uint8_t> image, std::size_t position) {
    const auto at = static_cast<std::ptrdiff_t>(position * kRecordSize);
    std::copy(image.begin() + at, image.begin() + at + kRecordSize, im2.m_block.begin());
}

std::size_t WholeRecords(std::span<const std::uint8_t> image) {
    return image.size() / kRecordSize;
}

}  // namespace

void LoadHeader(CIm2& im2, std::span<const std::uint8_t> image) {
    assert(image.size() >= kRecordSize && "an image has at least its header");
    LoadRecord(im2, image, 0);
    im2.InitFromHeader();
    im2.m_bHeaderBad = im2.IsHeaderBad();
    im2.SetFileLength(image.size());
}

ImageVerdict JudgeImage(std::span<const std::uint8_t> image) {
    CIm2 im2;
    LoadHeader(im2, image);
    ImageVerdict v;
    v.headerBad = im2.m_bHeaderBad;
    v.header = im2.CheckBuffered(true);
    v.fileBlocks = im2.m_nFileBlocks;
    v.complete = im2.IsComplete();
    for (std::size_t r = 1; r < WholeRecords(image); ++r) {
        LoadRecord(im2, image, r);
        v.blocks.push_back(im2.CheckBlock());
        im2.NextBlock();
    }
    return v;
}

void DecodeImage(std::span<const std::uint8_t> image, std::vector<std::uint8_t>& out,
                 std::vector<BlockStatus>* statuses, double gain) {
    CIm2 im2;
    LoadHeader(im2, image);
    im2.m_dGain = gain;
    std::vector<std::uint8_t> buffer(kMaxDecodedBytes);
    for (std::size_t r = 1; r < WholeRecords(image); ++r) {
        LoadRecord(im2, image, r);
        std::uint16_t count = 0;
        const BlockStatus status = im2.Decode(buffer, &count);
        out.insert(out.end(), buffer.begin(), buffer.begin() + count);
        if (statuses)
            statuses->push_back(status);
        im2.NextBlock();
    }
}

}  // namespace tvx::synth

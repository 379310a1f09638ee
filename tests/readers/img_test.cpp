// An IMG record: its reference, both codings against hand-worked records, its times, and the
// conversion's decoder with its running checksum. Its checks and the records a file counts are
// judged through the authentication scan's IMG rows.
#include "formats/img/img.h"
#include "formats/img/img_decode.h"

#include "core/bytes.h"
#include "playback_support.h"

namespace tvx::test {
namespace {

using synth::ImgFault;
using synth::ImgFaultKind;

// A record with this payload prefix (the rest 128) and a right trailer for unit 0x1A2B, file 7.
Record Hand(std::initializer_list<int> prefix, bool fiveBit) {
    Record r{};
    std::fill_n(r.begin(), kPayloadSize, std::uint8_t{128});
    std::copy(prefix.begin(), prefix.end(), r.begin());
    r[kImgOffCoding] = fiveBit ? 1 : 0;
    StoreLe16(r, kImgOffSampleRate, 8000);
    StoreLe16(r, kImgOffSampleCount, fiveBit ? 817 : 512);
    StoreLe16(r, kImgOffUnitId, 0x1A2B);
    StoreLe16(r, kImgOffFileNumber, 7);
    StoreLe32(r, kImgOffBlockNumber, 1);
    r[kImgOffBlockSum] = ImgBlockSum(r);
    return r;
}

CImg ReaderOf(const Record& r) {
    CImg img;
    img.m_record = r;
    img.ParseReference();
    return img;
}

std::vector<int> Decoded(const CImg& img, std::size_t n, BlockStatus status = 0) {
    std::array<std::uint8_t, kImg5Samples> out{};
    std::uint16_t count = 0;
    EXPECT_EQ(img.DecodeRecord(out, &count), status);
    EXPECT_EQ(count, img.m_nCoding == 5 ? 817 : 512);
    return {out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n)};
}

TEST(ImgRecord, ReferenceTextsAndTimesComeFromRecordOne) {
    CImg img = ReaderOf(Hand({}, false));
    EXPECT_EQ(std::tuple(img.m_nCoding, img.m_nSampleRate, img.m_nRefUnitId, img.m_nRefFileNumber),
              std::tuple(8u, 8000u, 0x1A2Bu, 7u));
    EXPECT_EQ(std::vector({img.GetUnitIdText(), img.GetWindowUnitIdText()}), std::vector<std::string>({"1A2B", "QL-1A2B"}));
    img.m_nRefUnitId = 0xAB;
    EXPECT_EQ(std::vector({img.GetUnitIdText(), img.GetWindowUnitIdText()}), std::vector<std::string>({"AB", "QL-00AB"}));
    EXPECT_EQ(img.TimeOfRecord(1), 64);
    EXPECT_EQ(std::vector({img.RecordAtTime(0), img.RecordAtTime(31), img.RecordAtTime(32), img.RecordAtTime(img.TimeOfRecord(40))}),
              std::vector<std::uint32_t>({1, 1, 2, 41}));
    img.m_nCoding = 5;
    EXPECT_EQ(img.TimeOfRecord(10), 1020);   // 816 samples a record
    img.m_nSampleRate = 0;
    EXPECT_EQ(img.TimeOfRecord(10), 0);
}

TEST(ImgRecord, EightBitIsThePayloadWithTheGain) {
    CImg img = ReaderOf(Hand({200, 60, 129, 0, 255}, false));
    EXPECT_EQ(Decoded(img, 512), std::vector<int>(img.m_record.begin(), img.m_record.begin() + 512));
    img.SetGain(2.0);
    EXPECT_EQ(Decoded(img, 6), (std::vector<int>{255, 0, 130, 0, 255, 128}));
}

TEST(ImgRecord, FiveBitCodesStepFromThePredictor) {
    // Group 1: codes 10011 (-4), 00101 (+9), 11111 (-121), then five codes 00000.
    // Bits: 10011 00101 11111 00000 00000 00000 00000 00000.
    const Record r = Hand({100, 0b10011001, 0b01111110, 0b00000000, 0, 0}, true);
    // 105 - 121 clamps to 0 for what follows.
    EXPECT_EQ(Decoded(ReaderOf(r), 5), (std::vector<int>{100, 96, 105, 0, 0}));
    // Byte 511 is never decoded: it changes the checksum only.
    Record other = r;
    other[511] ^= 0xFF;
    EXPECT_EQ(Decoded(ReaderOf(other), 817, kIrregular | kChecksumError), Decoded(ReaderOf(r), 817));
}

// The conversion's decoder keeps its running checksum between records and calls, resumes
// after a broken one, and an erased record is silence without an error.
TEST(ImgDecode, VoiceChecksumRunsAcrossRecordsAndResynchronises) {
    const synth::ImgOptions o{.bits = 5, .records = 8};
    const ImgFault faults[] = {{ImgFaultKind::VoiceChecksum, 4}, {ImgFaultKind::RecordIndex, 6},
                               {ImgFaultKind::SampleCount, 7}};
    const std::vector<std::uint8_t> image = synth::MakeImg(o, faults);
    CImg img;
    std::array<std::uint8_t, kImg5Samples> out{};
    std::uint16_t count = 0;
    for (int pass = 0; pass < 2; ++pass) {   // a second conversion starts from the first's state
        std::copy_n(image.begin(), kRecordSize, img.m_record.begin());
        img.ParseReference();
        DecodeImgRecord(img, 0, out, &count);   // the header pass
        std::vector<BlockStatus> statuses;
        for (std::uint32_t counter = 1; counter < 8; ++counter) {
            std::copy_n(image.begin() + counter * kRecordSize, kRecordSize, img.m_record.begin());
            statuses.push_back(DecodeImgRecord(img, counter, out, &count));
            EXPECT_EQ(count, 817);
            EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 817),
                      counter == 6 ? std::vector<std::uint8_t>(817, 128) : synth::ImgSamples(o, counter + 1));
        }
        EXPECT_EQ(statuses, (std::vector<BlockStatus>{0, 0, kIrregular | kVoiceImageError, 0,
                                                      kIrregular | kBlockOrderError, 0, 0}))
            << pass;
    }
    img = ReaderOf(Hand({}, false));
    img.m_record.fill(0xFF);
    EXPECT_EQ(DecodeImgRecord(img, 3, out, &count), 0u);
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + count), std::vector<std::uint8_t>(512, 128));
}

}  // namespace
}  // namespace tvx::test

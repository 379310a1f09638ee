#include "formats/img/img.h"
#include "formats/img/img_decode.h"

#include "core/bytes.h"
#include "synth/img_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tvx {
namespace {

namespace fs = std::filesystem;
using synth::ImgFault;
using synth::ImgFaultKind;

// A record with this payload prefix (the rest 128) and a right trailer for unit 0x1A2B, file 7.
Record Hand(std::initializer_list<int> prefix, bool fiveBit, std::uint32_t blockNumber = 1) {
    Record r{};
    std::fill_n(r.begin(), kPayloadSize, std::uint8_t{128});
    std::size_t i = 0;
    for (const int b : prefix)
        r[i++] = static_cast<std::uint8_t>(b);
    r[kImgOffCoding] = fiveBit ? 1 : 0;
    StoreLe16(r, kImgOffSampleRate, 8000);
    StoreLe16(r, kImgOffSampleCount, fiveBit ? 817 : 512);
    StoreLe16(r, kImgOffUnitId, 0x1A2B);
    StoreLe16(r, kImgOffFileNumber, 7);
    StoreLe32(r, kImgOffBlockNumber, blockNumber);
    r[kImgOffBlockSum] = ImgBlockSum(r);
    return r;
}

CImg ReaderOf(const Record& r) {
    CImg img;
    img.m_record = r;
    img.ParseReference();
    return img;
}

TEST(ImgRecord, ReferenceAndTheUnitsTwoTexts) {
    CImg img = ReaderOf(Hand({}, true));
    EXPECT_EQ(img.m_nCoding, 5u);
    EXPECT_EQ(img.m_nSampleRate, 8000u);
    EXPECT_EQ(img.m_nRefUnitId, 0x1A2Bu);
    EXPECT_EQ(img.m_nRefFileNumber, 7u);
    EXPECT_EQ(img.GetUnitIdText(), "1A2B");
    EXPECT_EQ(img.GetWindowUnitIdText(), "QL-1A2B");
    img.m_nRefUnitId = 0xAB;
    EXPECT_EQ(img.GetUnitIdText(), "AB");
    EXPECT_EQ(img.GetWindowUnitIdText(), "QL-00AB");
}

TEST(ImgRecord, EightBitDecodesThePayloadWithTheGain) {
    CImg img = ReaderOf(Hand({200, 60, 129, 0, 255}, false));
    std::array<std::uint8_t, kImg5Samples> out{};
    std::uint16_t count = 0;
    EXPECT_EQ(img.DecodeRecord(out, &count), 0u);
    ASSERT_EQ(count, 512);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 512, img.m_record.begin()));
    img.SetGain(2.0);
    img.DecodeRecord(out, &count);
    EXPECT_EQ((std::vector<int>{out[0], out[1], out[2], out[3], out[4], out[5]}),
              (std::vector<int>{255, 0, 130, 0, 255, 128}));
}

TEST(ImgRecord, FiveBitCodesStepFromThePredictor) {
    // Group 1: codes 10011 (-4), 00101 (+9), 11111 (-121), then five codes 00000.
    // Bits: 10011 00101 11111 00000 00000 00000 00000 00000.
    const Record r = Hand({100, 0b10011001, 0b01111110, 0b00000000, 0, 0}, true);
    CImg img = ReaderOf(r);
    std::array<std::uint8_t, kImg5Samples> out{};
    std::uint16_t count = 0;
    img.DecodeRecord(out, &count);
    ASSERT_EQ(count, 817);
    EXPECT_EQ((std::vector<int>{out[0], out[1], out[2], out[3], out[4]}),
              (std::vector<int>{100, 96, 105, 0, 0}));   // 105 - 121 clamps to 0 for what follows
    // Byte 511 is never decoded: it changes the checksum only.
    Record other = r;
    other[511] ^= 0xFF;
    CImg img2 = ReaderOf(other);
    std::array<std::uint8_t, kImg5Samples> out2{};
    EXPECT_EQ(img2.DecodeRecord(out2, &count), kIrregular | kChecksumError);
    EXPECT_EQ(out, out2);
}

TEST(ImgRecord, ChecksCompareWithRecordOneAndTheCounter) {
    CImg img = ReaderOf(Hand({}, false));
    img.m_record = Hand({}, false, 7);
    img.m_nRecordCounter = 6;
    EXPECT_EQ(img.CheckRecord(), kIrregular | kBlockOrderError);
    img.m_nRecordCounter = 7;
    EXPECT_EQ(img.CheckRecord(), 0u);
    StoreLe16(img.m_record, kImgOffUnitId, 0x1A2C);
    StoreLe16(img.m_record, kImgOffFileNumber, 8);
    img.m_record[3] ^= 1;
    EXPECT_EQ(img.CheckRecord(), kIrregular | kUnitIdError | kFileNumberError | kChecksumError);
}

TEST(ImgRecord, TimeAndRecordAtTime) {
    CImg img = ReaderOf(Hand({}, false));
    EXPECT_EQ(img.TimeOfRecord(1), 64);
    EXPECT_EQ(img.RecordAtTime(0), 1u);
    EXPECT_EQ(img.RecordAtTime(31), 1u);
    EXPECT_EQ(img.RecordAtTime(32), 2u);
    EXPECT_EQ(img.RecordAtTime(img.TimeOfRecord(40)), 41u);
    img.m_nCoding = 5;
    EXPECT_EQ(img.TimeOfRecord(10), 1020);   // 816 samples a record
    img.m_nSampleRate = 0;
    EXPECT_EQ(img.TimeOfRecord(10), 0);
}

class ImgFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = (fs::temp_directory_path() / (std::string("tvx-img-") + info->name() + ".IMG")).string();
    }
    void TearDown() override { fs::remove(m_path); }
    std::uint32_t Count(const synth::ImgOptions& o, std::span<const ImgFault> faults = {}) {
        EXPECT_TRUE(synth::WriteImgFile(m_path, o, faults));
        CFile64 file;
        EXPECT_TRUE(file.Open(m_path, kGenericRead, kShareRead, kOpenExisting));
        file.SeekTo(528);
        const std::uint32_t n = CImg().CountRecords(file);
        EXPECT_EQ(file.GetPosition(), 528u);
        return n;
    }
    std::string m_path;
};

TEST_F(ImgFileTest, ErasedTailIsNotCounted) {
    EXPECT_EQ(Count({.records = 10, .erased = 5}), 10u);
    EXPECT_EQ(Count({.records = 10}), 10u);
    EXPECT_EQ(Count({.records = 0, .erased = 4}), 0u);
    // A cut record still holds written bytes: it counts, as far as whole records go.
    const ImgFault cut[] = {{ImgFaultKind::CutLast, 300}};
    EXPECT_EQ(Count({.records = 10, .erased = 3}, cut), 9u);
}

TEST(ImgSynth, UntouchedImagesCheckCleanAndFollowTheSignal) {
    for (const int bits : {8, 5}) {
        const synth::ImgOptions o{.bits = bits, .records = 30};
        const std::vector<std::uint8_t> image = synth::MakeImg(o);
        ASSERT_EQ(image.size(), 30u * 528);
        CImg img;
        std::copy_n(image.begin(), kRecordSize, img.m_record.begin());
        img.ParseReference();
        std::uint8_t running = 0;
        for (std::uint32_t n = 1; n <= 30; ++n) {
            std::copy_n(image.begin() + (n - 1) * kRecordSize, kRecordSize, img.m_record.begin());
            img.m_nRecordCounter = n;
            EXPECT_EQ(img.CheckRecord(), 0u) << bits << " " << n;
            running = static_cast<std::uint8_t>(running + img.m_record[kImgOffBlockSum]);
            EXPECT_EQ(img.m_record[kImgOffVoiceSum], running);
        }
    }
}

// The conversion's decoder keeps its running checksum between records and calls.
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
            if (counter == 6)
                EXPECT_TRUE(std::all_of(out.begin(), out.begin() + 817, [](std::uint8_t b) { return b == 128; }));
            else
                EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 817),
                          synth::ImgSamples(o, counter + 1));
        }
        EXPECT_EQ(statuses, (std::vector<BlockStatus>{0, 0, kIrregular | kVoiceImageError, 0,
                                                      kIrregular | kBlockOrderError, 0, 0}))
            << pass;
    }
}

TEST(ImgDecode, ErasedRecordIsSilenceWithoutAnError) {
    CImg img = ReaderOf(Hand({}, false));
    img.m_record.fill(0xFF);
    std::array<std::uint8_t, kImg5Samples> out{};
    std::uint16_t count = 0;
    EXPECT_EQ(DecodeImgRecord(img, 3, out, &count), 0u);
    EXPECT_EQ(count, 512);
    EXPECT_TRUE(std::all_of(out.begin(), out.begin() + 512, [](std::uint8_t b) { return b == 128; }));
}

}  // namespace
}  // namespace tvx

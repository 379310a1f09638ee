// A record judged and decoded: each reference field has its own bit, the sums cover every
// byte, Decode judges exactly as CheckBlock, a header is judged on its own terms; samples of
// every code against hand-worked records, gain and clamps, and silence for a code that fits
// no variant. The synthesizer codes with the decoder's own steps, so its images cannot catch
// a wrong step: the hand-worked records can.

#include "core_test_support.h"

#include "synth/image_reading.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tvx {
namespace {

constexpr BlockStatus kBadSum = 0x80000008u;

TEST(RecordCheck, EachFieldSetsItsOwnBitInEveryCombination) {
    const synth::Im2Options o;
    CIm2 im2 = test::StateFor(o);
    im2.m_nBlock = 6;   // the counter, not the record's place, is what the index must match
    for (int mask = 0; mask < 16; ++mask) {
        SCOPED_TRACE(mask);
        synth::Im2Options r = o;
        if (mask & 1)
            r.unitNumber = static_cast<std::uint16_t>(o.unitNumber ^ 0x8000);
        if (mask & 2)
            r.fileNumber = static_cast<std::uint16_t>(o.fileNumber + 256);
        if (mask & 8)
            r.timestamp = PackTimestamp({2031, 3, 14, 9, 26, 53});
        BlockStatus want = 0;
        BlockStatus unordered = kHeaderRecord;
        for (const auto& [bit, status] : {std::pair{1, kUnitIdError}, {2, kFileNumberError},
                                         {4, kBlockOrderError}, {8, kTimestampError}}) {
            if (mask & bit)
                want |= kIrregular | status;
            if (mask & bit & ~4)
                unordered |= kIrregular | status;
        }
        im2.m_block = synth::DataRecord(r, (mask & 4) ? 7 : 6);
        EXPECT_EQ(im2.CheckBlock(), want);
        // Out of header mode the order is not judged; in it only the timestamp's validity
        // and the sums are.
        EXPECT_EQ(im2.CheckBuffered(false), unordered);
        EXPECT_EQ(im2.CheckBuffered(true), kHeaderRecord);
    }
}

TEST(RecordCheck, EverySealedByteIsCoveredAndDecodeJudgesAsCheckBlock) {
    const synth::Im2Options o = test::OptionsFor(8, 1, 6);
    CIm2 im2 = test::StateFor(o);
    const Record good = synth::DataRecord(o, 0);
    ASSERT_EQ(test::DecodeRecord(im2, good).status, 0u);
    EXPECT_EQ(ChecksumStatus(Record{}), 0u);   // the sums of nothing are zero
    for (std::size_t at = 0; at < kRecordSize; ++at) {
        // A changed key byte may cancel out of the block sum, never out of the trailer sum,
        // so every mask is tried on the trailer and three on the payload.
        const int step = at < kOffFileNumber ? 127 : 1;
        for (int mask = 1; mask < 256; mask += step) {
            SCOPED_TRACE(testing::Message() << "byte " << at << " mask " << mask);
            Record bad = good;
            bad[at] ^= static_cast<std::uint8_t>(mask);
            ASSERT_EQ(ChecksumStatus(bad), kBadSum);
            im2.m_block = bad;
            const BlockStatus checked = im2.CheckBlock();
            ASSERT_EQ(checked & kBadSum, kBadSum);
            ASSERT_EQ(checked, at < kOffFileNumber ? kBadSum : checked);
            ASSERT_EQ(test::DecodeRecord(im2, bad).status, checked);
        }
    }
}

TEST(RecordCheck, HeadersAndTheirBlocks) {
    struct Case {
        const char* why;
        synth::Im2Options options;
        bool brokenSum, bad;
        BlockStatus header, blocks;
    };
    const auto at = [](PackedTime t) { return synth::Im2Options{.timestamp = PackTimestamp(t)}; };
    const Case kCases[] = {
        {"sound", {}, false, false, kHeaderRecord, 0},
        {"broken checksum", {}, true, true, kHeaderRecord | kBadSum, 0},
        {"model code 0", {.modelCode = 0}, false, true, kHeaderRecord, 0},
        {"model code 255", {.modelCode = 255}, false, true, kHeaderRecord, 0},
        // An invalid timestamp fails every block that carries it, matching or not.
        {"month 13", at({2008, 13, 1, 0, 0, 0}), false, true, 0x84000010u, 0x80000010u},
        {"month 0", at({2008, 0, 14, 0, 0, 0}), false, true, 0x84000010u, 0x80000010u},
        {"day 0", at({2008, 3, 0, 0, 0, 0}), false, true, 0x84000010u, 0x80000010u},
        {"1 January", at({2000, 1, 1, 0, 0, 0}), false, false, kHeaderRecord, 0},
        {"31 December", at({2063, 12, 31, 23, 59, 59}), false, false, kHeaderRecord, 0},
        {"hour 31 is not judged", at({2008, 3, 1, 31, 63, 63}), false, false, kHeaderRecord, 0},
        {"index 0x7FFFFFF", {.statedBlocks = 0x8000000}, false, false, kHeaderRecord, 0},
        {"index 0x8000000", {.statedBlocks = 0x8000001}, false, true, kHeaderRecord, 0},
        {"index 0xFFFFFFFF", {.statedBlocks = 0}, false, true, kHeaderRecord, 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.why);
        synth::Im2Options o = c.options;
        o.blocks = 2;
        const std::vector<synth::Fault> faults(c.brokenSum ? 1 : 0, {synth::FaultKind::BadHeader, 0});
        const synth::ImageVerdict v = synth::JudgeImage(synth::MakeIm2(o, faults));
        EXPECT_EQ(std::tuple(v.headerBad, v.header, v.blocks), std::tuple(c.bad, c.header, std::vector<BlockStatus>(2, c.blocks)));
    }
}

TEST(Decode, HandWorkedRecordsOfEveryCode) {
    // Each record exercises its code's clamps, shift limits and channel order; the expected
    // values were worked out by hand from the code rules, first sixteen and last two.
    struct Case {
        const char* name;
        int bits, channels;
        std::uint8_t model;
        std::initializer_list<int> prefix;
        std::uint8_t fill;
        std::uint16_t bytes;
        std::vector<int> first, last;
    };
    const Case kCases[] = {
        // Shift starts at 5; 128 lowers it, 255 raises it by 3 up to 6; the sum wraps at 16
        // bits before the clamp (-31050 becomes -8192).
        {"adaptive8_mono", 8, 1, 6, {0, 0, 128, 129, 128, 255, 255, 129, 128, 128, 128, 128, 128, 128, 128, 129, 0, 0, 0}, 0x80, 1022,
         {0, 0, 64, 32, 16272, -32768, -7992, -20380, -14188, -17288, -15740, -16516, -16132, -16328, -16228, -18308}, {10912, 10912}},
        // Initial samples limited twice: 20000 to 8191, -20000 to -8192; even bytes left.
        {"adaptive8_stereo", 8, 2, 6, {32, 78, 224, 177, 129, 255, 128, 128, 0, 255}, 0x80, 1020,
         {32764, -32768, 32764, 32128, 32760, -320, 312, 32764, 16536, 16220, 8424, 24488, 12480, 20352, 10452, 22420}, {11120, 21720}},
        {"differential8_mono", 8, 1, 4, {32, 78, 255, 0, 0, 128, 127, 200, 1}, 0x80, 1022,
         {32766, 32766, 16726, 686, 686, 684, 2094, -13270, -13270, -13270, -13270, -13270, -13270, -13270, -13270, -13270}, {-13270, -13270}},
        {"differential8_stereo", 8, 2, 4, {156, 255, 44, 1, 200, 50, 200, 50}, 0x80, 1020,
         {-200, 600, 1210, -1196, 2620, -2992, 2620, -2992, 2620, -2992, 2620, -2992, 2620, -2992, 2620, -2992}, {2620, -2992}},
        // 8-bit output: low nibble first, both for the one channel.
        {"adaptive4to8_mono", 4, 1, 37, {128, 248, 255, 0, 7, 143}, 0x88, 1023,
         {128, 128, 155, 255, 255, 0, 0, 96, 0, 255, 255, 128, 97, 153, 182, 162}, {160, 160}},
        // Two channels: d(0) and d(1) start them, then low nibble left, high right.
        {"adaptive4to8_stereo", 4, 2, 37, {100, 200, 240, 15, 141}, 0x88, 1022,
         {100, 200, 73, 227, 255, 18, 255, 0, 165, 101, 143, 135, 183, 93, 205, 66}, {189, 93}},
        {"step4_mono", 4, 1, 4, {232, 3, 255, 255, 255, 255, 0, 0}, 0x88, 2042,
         {2000, 2380, 8460, 32766, 32766, 32766, 32766, 32766, 32766, -32768, -32768, -32768, -32768, -32768, -32768, -32768}, {-32768, -32768}},
        // 12000 is emitted as 8191 x 4, but the predictor goes on from 12000: 12000 - 195 is
        // still above the limit, where 8191 - 195 would have given 31984.
        {"step4_stereo", 4, 2, 4, {224, 46, 32, 209, 240, 112, 7, 143, 225}, 0x88, 2036,
         {32764, -32768, 32764, -32768, 20284, -32768, 19260, -32768, 32764, -32768, -32768, -21120, -32768, -21120, -32768, -21120}, {-32768, -21120}},
        {"predictive4_mono", 4, 1, 6, {160, 15, 248, 15, 0, 119, 136}, 0x88, 2042,
         {16000, 16000, 17728, 25072, 12220, -8492, -21072, -14376, -6672, -8096, -12304, -12644, -10628, -9960, -10808, -11360}, {-14904, -14912}},
        {"predictive4_stereo", 4, 2, 103, {216, 220, 40, 35, 240, 15, 142}, 0x88, 2036,
         {-32768, 32764, -32768, 32764, -18944, 18932, -6784, 15468, -10656, 21512, -17704, 24748, -17532, 22528, -13968, 20352}, {-14816, 21616}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const synth::Im2Options o = test::OptionsFor(c.bits, c.channels, c.model);
        CIm2 im2 = test::StateFor(o);
        const test::Decoded d = test::DecodeRecord(im2, test::RecordOf(o, test::PlainOf(c.prefix, c.fill)));
        EXPECT_EQ(d.status, 0u);
        ASSERT_EQ(d.count, c.bytes);
        const std::vector<int> v = d.Values(im2.m_nOutputBits);
        EXPECT_EQ(std::vector<int>(v.begin(), v.begin() + 16), c.first);
        EXPECT_EQ(std::vector<int>(v.end() - 2, v.end()), c.last);
    }
}

TEST(Decode, GainScalesTruncatesTowardZeroAndClamps) {
    test::Plain plain{};
    std::size_t at = 0;
    for (int s : {20000, -20000, 16383, 16384, -16384, -16385, 100, -3, 3, 30000, -30000}) {
        plain[at++] = static_cast<std::uint8_t>(s & 0xFF);
        plain[at++] = static_cast<std::uint8_t>((s >> 8) & 0xFF);
    }
    const synth::Im2Options o16;
    const synth::Im2Options o8 = test::OptionsFor(8, 1, 37);
    const std::tuple<bool, double, std::vector<int>> kCases[] = {
        {false, 1.0, {20000, -20000, 16383, 16384, -16384, -16385, 100, -3, 3, 30000, -30000}},
        // The limit is trunc(32768 / gain): 16384 at 2.0, so 20000 becomes 16383 x 2 = 32766.
        {false, 2.0, {32766, -32768, 32766, 32766, -32768, -32768, 200, -6, 6, 32766, -32768}},
        // Products are truncated toward zero: -1.5 gives -1.
        {false, 0.5, {10000, -10000, 8191, 8192, -8192, -8192, 50, -1, 1, 15000, -15000}},
        // 21845 at 1.5: 30000 becomes 21844 x 1.5 = 32766, -30000 becomes -32767.5, so -32767.
        {false, 1.5, {30000, -30000, 24574, 24576, -24576, -24577, 150, -4, 4, 32766, -32767}},
        {true, 1.0, {0, 64, 128, 129, 200, 255, 127}},
        {true, 2.0, {0, 0, 128, 130, 255, 255, 126}},
        // (127 - 128) x 0.5 is -0.5, truncated to 0: silence stays silence.
        {true, 0.5, {64, 96, 128, 128, 164, 191, 128}},
    };
    for (const auto& [eight, gain, want] : kCases) {
        SCOPED_TRACE(testing::Message() << (eight ? 8 : 16) << " bits x" << gain);
        CIm2 im2 = test::StateFor(eight ? o8 : o16);
        im2.m_dGain = gain;
        const Record record =
            eight ? test::RecordOf(o8, test::PlainOf({0, 64, 128, 129, 200, 255, 127}, 128)) : test::RecordOf(o16, plain);
        const std::vector<int> v = test::DecodeRecord(im2, record).Values(im2.m_nOutputBits);
        EXPECT_EQ(std::vector<int>(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(want.size())), want);
    }
}

TEST(Decode, ACodeThatFitsNoVariantKeepsItsTimeAsSilence) {
    // A 4-bit image whose record names plain 8-bit (compression 31) has no code to decode.
    const std::tuple<std::uint8_t, int, std::uint16_t, std::uint8_t> kCases[] = {
        {4, 1, 2042, 0x00}, {4, 2, 2036, 0x00}, {37, 1, 1023, 0x80}, {37, 2, 1022, 0x80}};
    for (const auto& [headerModel, channels, bytes, silence] : kCases) {
        SCOPED_TRACE(testing::Message() << "code " << int{headerModel} << " x" << channels);
        synth::Im2Options o = test::OptionsFor(4, channels, headerModel);
        CIm2 im2 = test::StateFor(o);
        o.modelCode = 31;
        im2.m_dGain = 2.0;
        im2.m_block = test::RecordOf(o, test::PlainOf({1, 2, 3, 4, 5}, 0x37));
        test::Decoded d;
        d.bytes.fill(0x55);
        d.status = im2.Decode(d.bytes, &d.count);
        EXPECT_EQ(d.status, 0u);
        ASSERT_EQ(d.count, bytes);
        EXPECT_TRUE(std::all_of(d.bytes.begin(), d.bytes.begin() + d.count,
                                [quiet = silence](std::uint8_t b) { return b == quiet; }));
        // Nothing past the count is touched.
        EXPECT_TRUE(d.count == d.bytes.size() || d.bytes[d.count] == 0x55);
    }
}

}  // namespace
}  // namespace tvx

// The header record: the reference state it sets, when it is bad, and the file-length verdicts.

#include "core_test_support.h"

#include "core/block_status.h"
#include "core/im2.h"
#include "synth/image_reading.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

TEST(Header, InitFromHeaderTakesTheReferenceValues) {
    synth::Im2Options o = test::OptionsFor(4, 2, 103);
    o.rateCode = 1;
    o.unitNumber = 42;
    o.fileNumber = 65535;
    o.timestamp = PackTimestamp({2019, 12, 31, 23, 59, 59});
    o.statedBlocks = 1000;
    CIm2 im2;
    im2.m_nBlock = 77;
    im2.m_nFirstIndex = 5;
    test::LoadState(im2, o);
    EXPECT_EQ(im2.m_nSampleRate, 11025);
    EXPECT_EQ(im2.m_nStoredBits, 4);
    EXPECT_EQ(im2.m_nOutputBits, 16);
    EXPECT_EQ(im2.GetChannels(), 2);
    EXPECT_FALSE(im2.IsRaw8());
    EXPECT_EQ(im2.m_nUnitNumber, 42u);
    EXPECT_EQ(im2.GetFileNumber(), 65535);
    EXPECT_EQ(im2.m_dwTimestamp, o.timestamp);
    EXPECT_EQ(im2.m_nLastIndex, 999u);
    EXPECT_EQ(im2.m_nStatedBlocks, 1000u);
    EXPECT_EQ(im2.m_nFirstIndex, 0u);
    EXPECT_EQ(im2.m_nBlock, 0u);
    EXPECT_EQ(im2.GetUnitId(), "QR-00042");
    EXPECT_FALSE(im2.m_bHeaderBad);
}

TEST(Header, CompressionDecidesTheOutput) {
    struct Case {
        int bits, channels, rateCode;
        std::uint8_t model;
        int storedBits, outputBits, outChannels, rate;
        bool raw8;
    };
    const Case kCases[] = {
        {4, 2, 2, 37, 4, 8, 2, 16000, false},    // compression 5: 8-bit output
        {8, 2, 3, 63, 8, 8, 1, 8000, true},      // compression 31: 8 kHz mono plain 8-bit
        {16, 1, 2, 225, 8, 8, 1, 8000, true},    // ... whatever the format byte says
        {8, 1, 1, 6, 8, 16, 1, 11025, false},    // compression 6
        {16, 2, 0, 102, 16, 16, 2, 8000, false}, // compression 4
        {4, 1, 0, 0, 4, 16, 1, 8000, false},     // unknown code: compression 4
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(static_cast<int>(c.model));
        synth::Im2Options o = test::OptionsFor(c.bits, c.channels, c.model);
        o.rateCode = c.rateCode;
        CIm2 im2;
        test::LoadState(im2, o);
        EXPECT_EQ(im2.m_nStoredBits, c.storedBits);
        EXPECT_EQ(im2.m_nOutputBits, c.outputBits);
        EXPECT_EQ(im2.GetChannels(), c.outChannels);
        EXPECT_EQ(im2.m_nSampleRate, c.rate);
        EXPECT_EQ(im2.IsRaw8(), c.raw8);
    }
}

TEST(Header, BadHeaders) {
    struct Case {
        const char* why;
        synth::Im2Options options;
        std::vector<synth::Fault> faults;
        bool bad;
        BlockStatus status;   // CheckRecord in header mode
    };
    const auto with = [](auto change) {
        synth::Im2Options o;
        o.blocks = 2;
        change(o);
        return o;
    };
    const Case kCases[] = {
        {"sound", with([](auto&) {}), {}, false, 0x04000000u},
        {"broken checksum", with([](auto&) {}), {{synth::FaultKind::BadHeader, 0}}, true,
         0x84000008u},
        {"unknown model code", with([](auto& o) { o.modelCode = 0; }), {}, true, 0x04000000u},
        {"model code 255", with([](auto& o) { o.modelCode = 255; }), {}, true, 0x04000000u},
        {"month 13", with([](auto& o) { o.timestamp = PackTimestamp({2008, 13, 1, 0, 0, 0}); }),
         {}, true, 0x84000010u},
        {"day 0", with([](auto& o) { o.timestamp = PackTimestamp({2008, 3, 0, 0, 0, 0}); }), {},
         true, 0x84000010u},
        {"hour 31 is not judged", with([](auto& o) {
             o.timestamp = PackTimestamp({2008, 3, 1, 31, 63, 63});
         }),
         {}, false, 0x04000000u},
        {"index 0x7FFFFFF", with([](auto& o) { o.statedBlocks = 0x8000000; }), {}, false,
         0x04000000u},
        {"index 0x8000000", with([](auto& o) { o.statedBlocks = 0x8000001; }), {}, true,
         0x04000000u},
        {"index 0xFFFFFFFF", with([](auto& o) { o.statedBlocks = 0; }), {}, true, 0x04000000u},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.why);
        const auto image = synth::MakeIm2(c.options, c.faults);
        CIm2 im2;
        synth::LoadHeader(im2, image);
        EXPECT_EQ(im2.IsHeaderBad(), c.bad);
        EXPECT_EQ(im2.m_bHeaderBad, c.bad);
        EXPECT_EQ(im2.CheckBuffered(true), c.status);
    }
}

TEST(Header, CheckRecordOutOfSequence) {
    // Without header mode a record is judged against the references but not for its order.
    synth::Im2Options o;
    CIm2 im2;
    test::LoadState(im2, o);
    const Record far = synth::DataRecord(o, 500);
    EXPECT_EQ(im2.CheckRecord(far, false), 0x04000000u);
    im2.m_block = far;
    EXPECT_EQ(im2.CheckBlock(), 0x80000004u);
    EXPECT_EQ(im2.CheckBuffered(false), 0x04000000u);

    synth::Im2Options other = o;
    other.unitNumber = 1;
    other.fileNumber = 2;
    other.timestamp = PackTimestamp({2008, 3, 14, 9, 26, 54});
    const Record foreign = synth::DataRecord(other, 500);
    EXPECT_EQ(im2.CheckRecord(foreign, false), 0x84000013u);
    // Header mode looks only at the timestamp's validity and the sums.
    EXPECT_EQ(im2.CheckRecord(foreign, true), 0x04000000u);
    Record broken = foreign;
    broken[7] ^= 1;
    EXPECT_EQ(im2.CheckRecord(broken, true), 0x84000008u);
    EXPECT_EQ(im2.CheckRecord(broken, false), 0x8400001Bu);
}

TEST(Header, FileLengthAndCompleteness) {
    struct Case {
        const char* why;
        std::int64_t stated;
        std::uint64_t bytes;
        std::uint32_t fileBlocks;
        bool complete;
    };
    const Case kCases[] = {
        {"exact", 10, 528 * 11, 10, true},
        {"one short", 11, 528 * 11, 10, false},
        {"one long", 10, 528 * 12, 11, false},
        {"cut tail is no block", 10, 528 * 11 + 100, 10, true},
        {"cut tail short of a block", 11, 528 * 11 + 527, 10, false},
        {"header only", 1, 528, 0, false},
        {"header announcing nothing", 0, 528, 0, true},
        {"shorter than a header", 1, 100, 0, false},
        {"empty", 0, 0, 0, false},
        {"past 4 GiB", 8134683, 528ull * 8134684, 8134683, true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.why);
        synth::Im2Options o;
        o.statedBlocks = c.stated;
        CIm2 im2;
        test::LoadState(im2, o);
        im2.SetFileLength(c.bytes);
        EXPECT_EQ(im2.m_nFileBlocks, c.fileBlocks);
        EXPECT_EQ(im2.IsComplete(), c.complete);
    }
}

TEST(Header, FreshStateBeforeAnyFile) {
    const CIm2 im2;
    EXPECT_EQ(im2.m_nStoredBits, 8);
    EXPECT_EQ(im2.m_nOutputBits, 8);
    EXPECT_EQ(im2.m_nSampleRate, 8000);
    EXPECT_EQ(im2.GetChannels(), 1);
    EXPECT_EQ(im2.m_dGain, 1.0);
    EXPECT_EQ(im2.m_nBlock, 0u);
    EXPECT_EQ(im2.m_nStatedBlocks, 0u);
    EXPECT_FALSE(im2.IsComplete());
    EXPECT_FALSE(im2.m_bHeaderBad);
}

}  // namespace
}  // namespace tvx

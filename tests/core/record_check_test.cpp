// Judging records: each reference field has its own bit, the sums cover every byte, Decode
// judges exactly as CheckBlock, and a header is judged on its own terms.

#include "core_test_support.h"

#include "synth/image_reading.h"

#include <gtest/gtest.h>

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
        void (*change)(synth::Im2Options&);
        bool brokenSum, bad;
        BlockStatus header, blocks;
    };
    const Case kCases[] = {
        {"sound", [](auto&) {}, false, false, kHeaderRecord, 0},
        {"broken checksum", [](auto&) {}, true, true, kHeaderRecord | kBadSum, 0},
        {"model code 0", [](auto& o) { o.modelCode = 0; }, false, true, kHeaderRecord, 0},
        {"model code 255", [](auto& o) { o.modelCode = 255; }, false, true, kHeaderRecord, 0},
        // An invalid timestamp fails every block that carries it, matching or not.
        {"month 13", [](auto& o) { o.timestamp = PackTimestamp({2008, 13, 1, 0, 0, 0}); }, false,
         true, 0x84000010u, 0x80000010u},
        {"month 0", [](auto& o) { o.timestamp = PackTimestamp({2008, 0, 14, 0, 0, 0}); }, false,
         true, 0x84000010u, 0x80000010u},
        {"day 0", [](auto& o) { o.timestamp = PackTimestamp({2008, 3, 0, 0, 0, 0}); }, false,
         true, 0x84000010u, 0x80000010u},
        {"hour 31 is not judged", [](auto& o) { o.timestamp = PackTimestamp({2008, 3, 1, 31, 63, 63}); },
         false, false, kHeaderRecord, 0},
        {"index 0x7FFFFFF", [](auto& o) { o.statedBlocks = 0x8000000; }, false, false, kHeaderRecord, 0},
        {"index 0x8000000", [](auto& o) { o.statedBlocks = 0x8000001; }, false, true, kHeaderRecord, 0},
        {"index 0xFFFFFFFF", [](auto& o) { o.statedBlocks = 0; }, false, true, kHeaderRecord, 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.why);
        synth::Im2Options o;
        o.blocks = 2;
        c.change(o);
        std::vector<synth::Fault> faults;
        if (c.brokenSum)
            faults.push_back({synth::FaultKind::BadHeader, 0});
        const synth::ImageVerdict v = synth::JudgeImage(synth::MakeIm2(o, faults));
        EXPECT_EQ(v.headerBad, c.bad);
        EXPECT_EQ(v.header, c.header);
        EXPECT_EQ(v.blocks, std::vector<BlockStatus>(2, c.blocks));
    }
}

}  // namespace
}  // namespace tvx

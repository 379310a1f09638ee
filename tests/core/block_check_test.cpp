// CheckBlock: each reference field has its own bit, and the bits add up independently.

#include "core_test_support.h"

#include "core/block_status.h"
#include "core/im2.h"
#include "synth/image_reading.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

TEST(BlockCheck, EachFieldSetsItsOwnBitInEveryCombination) {
    const synth::Im2Options o;
    CIm2 im2;
    test::LoadState(im2, o);
    im2.m_nBlock = 6;
    for (int mask = 0; mask < 16; ++mask) {
        SCOPED_TRACE(mask);
        synth::Im2Options r = o;
        if (mask & 1)
            r.unitNumber = static_cast<std::uint16_t>(o.unitNumber ^ 0x8000);
        if (mask & 2)
            r.fileNumber = static_cast<std::uint16_t>(o.fileNumber + 256);
        if (mask & 8)
            r.timestamp = PackTimestamp({2031, 3, 14, 9, 26, 53});
        im2.m_block = synth::DataRecord(r, (mask & 4) ? 7 : 6);
        BlockStatus want = 0;
        for (const auto& [bit, status] : {std::pair{1, kUnitIdError}, {2, kFileNumberError},
                                         {4, kBlockOrderError}, {8, kTimestampError}})
            if (mask & bit)
                want |= kIrregular | status;
        EXPECT_EQ(im2.CheckBlock(), want);
    }
}

TEST(BlockCheck, AnInvalidTimestampFailsEveryBlockEvenWhenItMatches) {
    for (std::uint32_t ts : {PackTimestamp({2008, 13, 14, 9, 26, 53}),
                             PackTimestamp({2008, 0, 14, 9, 26, 53}),
                             PackTimestamp({2008, 3, 0, 9, 26, 53})}) {
        SCOPED_TRACE(ts);
        synth::Im2Options o;
        o.timestamp = ts;
        o.blocks = 5;
        const synth::ImageVerdict v = synth::JudgeImage(synth::MakeIm2(o));
        EXPECT_TRUE(v.headerBad);
        EXPECT_EQ(v.header, 0x84000010u);
        EXPECT_EQ(v.blocks, std::vector<BlockStatus>(5, 0x80000010u));
    }
}

TEST(BlockCheck, OrderFollowsTheCounterNotTheFile) {
    // A scan that starts its counter elsewhere sees every block out of order; the counter,
    // not the record's place in the file, is what the index must match.
    synth::Im2Options o;
    o.blocks = 4;
    CIm2 im2;
    test::LoadState(im2, o);
    im2.m_nBlock = 1;
    for (std::uint32_t i = 0; i < 4; ++i) {
        im2.m_block = synth::DataRecord(o, i);
        EXPECT_EQ(im2.CheckBlock(), 0x80000004u) << i;
        im2.NextBlock();
    }
    im2.m_nBlock = 2;
    im2.m_block = synth::DataRecord(o, 2);
    EXPECT_EQ(im2.CheckBlock(), 0u);
}

}  // namespace
}  // namespace tvx

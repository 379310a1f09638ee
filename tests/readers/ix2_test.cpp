#include "formats/ix2/ix2.h"
#include "formats/ix2/ix2_source.h"

#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tvx {
namespace {

namespace fs = std::filesystem;

synth::Ix2Options Split(std::uint32_t first, std::uint32_t blocks, bool chain) {
    synth::Ix2Options o;
    o.audio.storedBits = 16;
    o.audio.blocks = blocks;
    o.splitFirst = first;
    o.chain = chain;
    return o;
}

class Ix2Test : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                (std::string("tvx-ix2-") + info->test_suite_name() + "-" + info->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Write(const synth::Ix2Options& o, std::span<const synth::Fault> faults = {}) {
        const std::string path = (m_dir / "F00012.IX2").string();
        EXPECT_TRUE(synth::WriteIx2File(path, o, faults));
        return path;
    }
    void Open(Ix2Source& source, const std::string& path) {
        const auto failed = source.Open(path);
        ASSERT_FALSE(failed) << DescribeError(*failed);
    }

    fs::path m_dir;
};

TEST(Ix2LayoutTest, InnerBlocksStraddleOuterBlocksAsTheStreamFalls) {
    EXPECT_EQ(ChainPositionOf(0).outer, 0u);
    EXPECT_EQ(ChainPositionOf(0).skip, 0u);
    EXPECT_EQ(ChainPositionOf(31).outer, 31u);
    EXPECT_EQ(ChainPositionOf(31).skip, 496u);
    EXPECT_EQ(ChainPositionOf(32).outer, 33u);
    EXPECT_EQ(ChainPositionOf(32).skip, 0u);
    EXPECT_EQ(Ix2PlainBlocks(128 + 528 * 35), 32u);
    EXPECT_EQ(Ix2ChainBlocks(128 + 528 * 35), 31u);
    EXPECT_EQ(Ix2PlainBlocks(2239), 0u);
    EXPECT_EQ(Ix2PlainBlocks(100), 0u);
}

TEST(Ix2LayoutTest, EntrySearchPassesOverABrokenChecksumAndOtherFiles) {
    std::array<std::uint8_t, kPayloadSize> table{};
    for (std::size_t at = 14; at < table.size(); at += 16)
        table[at] = 0xFF;   // unused entries
    auto put = [&](std::size_t slot, std::array<std::uint8_t, 16> e) {
        std::copy(e.begin(), e.end(), table.begin() + static_cast<std::ptrdiff_t>(slot * 16));
    };
    put(0, synth::IndexEntry(13, 4242, 0, 1));       // another file of the unit
    auto decoy = synth::IndexEntry(12, 4242, 0, 2);
    decoy[14] ^= 0x40;
    put(1, decoy);
    put(2, synth::IndexEntry(12, 4243, 0, 3));       // the same file of another unit
    put(3, synth::IndexEntry(12, 4242, 0, 4));
    put(4, synth::IndexEntry(12, 4242, 0, 5));       // a later match never wins
    EXPECT_EQ(FindIndexEntry(table, 12, 4242), 48u);
    EXPECT_EQ(FindIndexEntry(table, 13, 4242), 0u);
    EXPECT_EQ(FindIndexEntry(table, 14, 4242), kNoIndexEntry);
}

TEST_F(Ix2Test, ShortHeaderRegionsLeaveWhatTheyCannotHoldUnknown) {
    const synth::Ix2Options whole = Split(100, 10, false);
    struct Case {
        std::uint64_t length;
        bool splitLastKnown, recordingFirstKnown, checked, splitFirstKnown;
    };
    const Case cases[] = {{0, false, false, false, false},      {655, false, false, false, false},
                          {656, true, false, false, false},     {1183, true, false, false, false},
                          {1184, true, true, false, false},     {1711, true, true, false, false},
                          {1712, true, true, true, false},      {2239, true, true, true, false},
                          {2240, true, true, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        synth::Ix2Options o = whole;
        o.cutTo = c.length;
        Ix2Source source;
        Open(source, Write(o));
        const CIx2& r = source.Reader();
        EXPECT_FALSE(source.IsChain());
        EXPECT_EQ(source.RegionBytes(), std::min<std::uint64_t>(c.length, kIx2HeaderRegion));
        EXPECT_EQ(r.m_nSplitLast, c.splitLastKnown ? 109u : kUnknownBlock);
        EXPECT_EQ(r.m_bIndexChecked, c.checked);
        EXPECT_EQ(source.IsHeaderBad(), !c.checked);
        EXPECT_EQ(r.m_nSplitFirst, c.splitFirstKnown ? 100u : kUnknownBlock);
        EXPECT_EQ(r.m_nSplitBlocks, c.splitFirstKnown ? 10u : 0u);
        if (!c.recordingFirstKnown) {
            EXPECT_EQ(r.m_nFirstIndex, kUnknownIndex);
            EXPECT_EQ(r.m_nStatedBlocks, 0u);
        } else if (!c.checked) {
            EXPECT_EQ(r.m_nLastIndex, r.m_nFirstIndex);
            EXPECT_EQ(r.m_nStatedBlocks, 0u);
        } else {
            EXPECT_EQ(r.m_nFirstIndex, 0u);
            EXPECT_EQ(r.m_nStatedBlocks, 110u);
        }
    }
}

TEST_F(Ix2Test, PlainSplitOfALongerRecordingReadsItsOwnNumbering) {
    synth::Ix2Options o = Split(300, 25, false);
    o.recordingLast = 999;
    Ix2Source source;
    Open(source, Write(o));
    CIx2& r = source.Reader();
    EXPECT_FALSE(source.IsHeaderBad());
    EXPECT_EQ(r.m_nSplitFirst, 300u);
    EXPECT_EQ(r.m_nSplitLast, 324u);
    EXPECT_EQ(r.m_nSplitBlocks, 25u);
    EXPECT_EQ(r.m_nStatedBlocks, 1000u);
    EXPECT_EQ(r.m_nFileBlocks, 25u);
    EXPECT_TRUE(r.IsWholeSplit());
    EXPECT_FALSE(r.IsComplete());
    EXPECT_EQ(r.SplitMs(), 25 * 32);
    // 16-bit mono at 8 kHz: a block is 32 ms, so the split starts 9.6 s into the recording.
    EXPECT_NEAR((r.SplitStartTime().GetDays() - r.StartTime().GetDays()) * 86400.0, 9.6, 1e-6);
    for (const BlockStatus s : r.m_indexStatus)
        EXPECT_EQ(s, kHeaderRecord);

    Record block{};
    std::uint32_t n = 0;
    while (source.NextBlock(block)) {
        r.m_block = block;
        EXPECT_EQ(r.CheckBlock(), 0u) << n;
        EXPECT_EQ(BlockIndexOf(block), 300 + n);
        r.NextBlock();
        ++n;
    }
    EXPECT_EQ(n, 25u);
}

TEST_F(Ix2Test, BrokenIndexBlockMarksTheStructureBad) {
    for (int broken = 0; broken < 3; ++broken) {
        synth::Ix2Options o = Split(0, 5, false);
        o.brokenIndexBlock = broken;
        Ix2Source source;
        Open(source, Write(o));
        EXPECT_TRUE(source.IsHeaderBad()) << broken;
        EXPECT_EQ(source.Reader().m_indexStatus[static_cast<std::size_t>(broken)],
                  kHeaderRecord | kIrregular | kChecksumError);
    }
}

TEST_F(Ix2Test, ChainTakesItsValuesFromTheInnerStreamAndTheRightEntries) {
    synth::Ix2Options o = Split(64, 40, true);
    o.recordingLast = 4000;
    Ix2Source source;
    Open(source, Write(o));
    ASSERT_TRUE(source.IsChain());
    EXPECT_FALSE(source.IsHeaderBad());
    const CIx2& r = source.Reader();
    EXPECT_TRUE(r.HasSplitIndex());
    EXPECT_EQ(r.GetFileNumber(), o.audio.fileNumber);
    EXPECT_EQ(r.m_nSplitFirst, 64u);
    EXPECT_EQ(r.m_nSplitLast, 103u);      // the decoy would have said 1103
    EXPECT_EQ(r.m_nSplitBlocks, 40u);
    EXPECT_EQ(r.m_nLastIndex, 4000u);
    EXPECT_EQ(r.m_nStatedBlocks, 4001u);
    EXPECT_EQ(r.m_nFileBlocks, 40u);
    EXPECT_TRUE(r.IsWholeSplit());
    EXPECT_EQ(r.m_nSnapFileNumber, o.outerFileNumber);
    EXPECT_NE(r.m_strSnapUnitId, r.GetUnitId());
    EXPECT_EQ(r.m_nSampleRate, 8000);
    EXPECT_EQ(r.m_nStoredBits, 16);
}

TEST_F(Ix2Test, ChainStreamGivesTheInnerBlocksInOrderAndFromAnyStart) {
    const synth::Ix2Options o = Split(10, 70, true);
    Ix2Source source;
    Open(source, Write(o));
    synth::Im2Options whole = o.audio;
    whole.blocks = 80;
    Record block{};
    std::uint32_t k = 0;
    while (source.NextBlock(block)) {
        ASSERT_EQ(block, synth::DataRecord(whole, 10 + k)) << k;
        ++k;
    }
    EXPECT_EQ(k, 70u);
    for (const std::uint64_t start : {0u, 31u, 32u, 33u, 69u}) {
        source.SeekBlock(start);
        ASSERT_TRUE(source.NextBlock(block)) << start;
        EXPECT_EQ(BlockIndexOf(block), 10 + start);
        EXPECT_EQ(source.Outer().m_nBlock, o.outerFirst + ChainPositionOf(start).outer + 2);
    }
    source.SeekBlock(70);
    EXPECT_FALSE(source.NextBlock(block));
}

TEST_F(Ix2Test, ChainWithoutAMatchingEntryKeepsWhatThePlainParseGave) {
    synth::Ix2Options o = Split(7, 12, true);   // 13 outer blocks, numbered from 5000
    o.matchingEntry = false;
    Ix2Source source;
    Open(source, Write(o));
    const CIx2& r = source.Reader();
    EXPECT_EQ(r.m_nSplitFirst, 7u);   // the first inner block's own number
    // The outer index blocks' numbers: index block 0 for the split, index block 2 for the end.
    EXPECT_EQ(r.m_nSplitLast, 5012u);
    EXPECT_EQ(r.m_nSplitBlocks, 13u);
    EXPECT_EQ(r.m_nLastIndex, 5012u);
    EXPECT_EQ(r.m_nStatedBlocks, 5013u);
    EXPECT_EQ(r.m_nFileBlocks, 12u);
    EXPECT_EQ(r.m_nSampleRate, 8000);
    EXPECT_EQ(r.m_nOutputBits, 16);   // the inner stream's format, not the outer's
    EXPECT_FALSE(r.IsWholeSplit());
}

TEST_F(Ix2Test, ChainCutShortEndsAtTheLastWholeInnerBlock) {
    synth::Ix2Options o = Split(0, 31, true);   // 32 outer blocks
    o.cutTo = 128 + 528 * 35 - 100;
    Ix2Source source;
    Open(source, Write(o));
    EXPECT_EQ(source.Reader().m_nFileBlocks, 30u);
    Record block{};
    std::uint32_t k = 0;
    while (source.NextBlock(block))
        ++k;
    EXPECT_EQ(k, 30u);   // inner block 30 needs the cut outer block
}

TEST_F(Ix2Test, ChainWithoutASecondOuterBlockHasNoFirstInnerBlock) {
    synth::Ix2Options o = Split(0, 31, true);
    o.cutTo = 2240 + 300;
    Ix2Source source;
    Open(source, Write(o));
    EXPECT_TRUE(source.IsChain());
    EXPECT_TRUE(source.IsHeaderBad());
    EXPECT_EQ(source.Reader().m_nSplitFirst, kUnknownBlock);
    EXPECT_EQ(source.Reader().m_nFileBlocks, 0u);
}

}  // namespace
}  // namespace tvx

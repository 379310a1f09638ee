// An IX2 file opened as the passes open it: the index region, the split and recording values
// it gives, and a chain's values taken from its inner stream and the right index entries.
#include "formats/ix2/ix2.h"
#include "formats/ix2/ix2_details.h"
#include "formats/ix2/ix2_source.h"

#include "playback_support.h"

namespace tvx::test {
namespace {

synth::Ix2Options Split(std::uint32_t first, std::uint32_t blocks, bool chain) {
    return {.audio = {.blocks = blocks}, .chain = chain, .splitFirst = first};
}

class Ix2Test : public ::testing::Test {
protected:
    void Open(const synth::Ix2Options& o, std::span<const synth::Fault> faults = {}) {
        ASSERT_TRUE(synth::WriteIx2File(m_dir / "F00012.IX2", o, faults));
        m_source = std::make_unique<Ix2Source>();
        const auto failed = m_source->Open(m_dir / "F00012.IX2");
        ASSERT_FALSE(failed) << DescribeError(*failed);
    }
    std::uint32_t BlocksGiven() {
        Record block{};
        std::uint32_t n = 0;
        for (; m_source->NextBlock(block); ++n) {}
        return n;
    }

    const CIx2& R() const { return m_source->Reader(); }
    // The split's first and last block and its length, the stated blocks and the file's.
    std::vector<std::uint64_t> Numbers() const {
        return {R().m_nSplitFirst, R().m_nSplitLast, R().m_nSplitBlocks, R().m_nStatedBlocks, R().m_nFileBlocks};
    }

    TempDir m_dir;
    std::unique_ptr<Ix2Source> m_source;
};

TEST(Ix2Index, EntrySearchPassesOverABrokenChecksumAndOtherFiles) {
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
        synth::Ix2Options o = Split(100, 10, false);
        o.cutTo = c.length;
        Open(o);
        EXPECT_FALSE(m_source->IsChain());
        EXPECT_EQ(m_source->RegionBytes(), std::min<std::uint64_t>(c.length, kIx2HeaderRegion));
        EXPECT_EQ(R().m_bIndexChecked, c.checked);
        EXPECT_EQ(m_source->IsHeaderBad(), !c.checked);
        const std::uint64_t first = c.splitFirstKnown ? 100 : kUnknownBlock, last = c.splitLastKnown ? 109 : kUnknownBlock;
        // A whole region ends with block 0.
        EXPECT_EQ(Numbers(), (std::vector<std::uint64_t>{first, last, c.splitFirstKnown ? 10u : 0u, c.checked ? 110u : 0u,
                                                         c.splitFirstKnown ? 1u : 0u}));
        EXPECT_EQ(R().m_nFirstIndex, !c.recordingFirstKnown ? kUnknownIndex : c.checked ? 0u : R().m_nLastIndex);
        // The window opens such a file, which the command line refuses: only its details show it.
        if (!c.recordingFirstKnown) {
            EXPECT_EQ(Ix2Details(R()).details,
                      "---Recording---\r\nDetails unknown\r\n\r\n---This Split File---\r\nDetails unknown\r\n");
        }
    }
}

TEST_F(Ix2Test, ASplitOfALongerRecordingReadsItsOwnNumberingPlainOrChained) {
    for (const bool chain : {false, true}) {
        SCOPED_TRACE(chain ? "chain" : "plain");
        synth::Ix2Options o = Split(300, 40, chain);
        o.recordingLast = 4000;
        Open(o);
        EXPECT_EQ(m_source->IsChain(), chain);
        EXPECT_EQ(R().HasSplitIndex(), chain);   // only a chain's inner stream has it
        EXPECT_EQ(R().m_indexStatus, (std::array<BlockStatus, 3>{kHeaderRecord, kHeaderRecord, kHeaderRecord}));
        // A chain's decoy entry would have said 1339 for the last.
        EXPECT_EQ(Numbers(), (std::vector<std::uint64_t>{300, 339, 40, 4001, 40}));
        EXPECT_EQ(std::tuple(R().m_nLastIndex, R().IsWholeSplit(), R().SplitMs()), std::tuple(4000u, true, 40 * 32));
        // 16-bit mono at 8 kHz: a block is 32 ms, so the split starts 9.6 s into the recording.
        EXPECT_NEAR((R().SplitStartTime().GetDays() - R().StartTime().GetDays()) * 86400.0, 9.6, 1e-6);
        if (chain) {
            EXPECT_EQ(R().m_nSnapFileNumber, o.outerFileNumber);
            EXPECT_NE(R().m_strSnapUnitId, R().GetUnitId());
        }
        EXPECT_EQ(BlocksGiven(), 40u);
    }
}

TEST_F(Ix2Test, BrokenIndexBlockMarksTheStructureBad) {
    for (int broken = 0; broken < 3; ++broken) {
        synth::Ix2Options o = Split(0, 5, false);
        o.brokenIndexBlock = broken;
        Open(o);
        EXPECT_TRUE(m_source->IsHeaderBad()) << broken;
        EXPECT_EQ(R().m_indexStatus[static_cast<std::size_t>(broken)], kHeaderRecord | kIrregular | kChecksumError);
    }
}

TEST_F(Ix2Test, AChainCutShortEndsAtTheLastWholeInnerBlock) {
    // 31 inner blocks in 32 outer ones; inner block 30 needs the cut outer block, and without
    // a second outer block there is no first inner block.
    const std::tuple<std::uint64_t, std::uint32_t, bool> kCuts[] = {{128 + 528 * 35 - 100, 30, false},
                                                                    {2240 + 300, 0, true}};
    for (const auto& [cutTo, blocks, headerBad] : kCuts) {
        SCOPED_TRACE(cutTo);
        synth::Ix2Options o = Split(0, 31, true);
        o.cutTo = cutTo;
        Open(o);
        EXPECT_TRUE(m_source->IsChain());
        EXPECT_EQ(m_source->IsHeaderBad(), headerBad);
        EXPECT_EQ(R().m_nSplitFirst, headerBad ? kUnknownBlock : 0u);
        EXPECT_EQ(R().m_nFileBlocks, blocks);
        EXPECT_EQ(BlocksGiven(), blocks);
    }
}

}  // namespace
}  // namespace tvx::test

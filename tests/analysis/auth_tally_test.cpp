#include "analysis/auth_tally.h"
#include "formats/format_of.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace tvx {
namespace {

constexpr BlockStatus kUnitAndSum = kIrregular | kUnitIdError | kChecksumError;

TEST(StripStates, OffsetsHeaderSlotsAndRefusesOutsideOrBadStates) {
    StripStates strip;
    ASSERT_TRUE(strip.Allocate(100, 3));
    EXPECT_EQ(strip.GetEntries(), 103u);
    EXPECT_EQ(strip.SetBlock(-3, 2), 0);        // entry 0
    EXPECT_EQ(strip.GetEntry(0), 2);
    EXPECT_EQ(strip.SetBlock(-4, 2), 0xFF);
    EXPECT_EQ(strip.SetBlock(100, 2), 0xFF);
    EXPECT_EQ(strip.SetBlock(99, 4), 0xFF);
    EXPECT_EQ(strip.GetEntry(102), 0);          // the refused state changed nothing
    EXPECT_EQ(strip.SetBlock(99, 3), 0);
    EXPECT_EQ(strip.SetBlock(99, 2), 3);        // the first state comes back the second time
    strip.Reset();
    EXPECT_EQ(strip.GetEntry(102), 0);
    ASSERT_TRUE(strip.Allocate(0, 0));
    EXPECT_EQ(strip.SetBlock(0, 2), 0xFF);
}

TEST(StripStates, VersionMovesOnlyOnChangeAndResetClearsUpToTheLastJudged) {
    StripStates strip;
    ASSERT_TRUE(strip.Allocate(10, 1));
    std::uint64_t seen = strip.GetVersion();
    EXPECT_EQ(strip.GetJudgedEnd(), 0u);

    EXPECT_EQ(strip.SetBlock(9, 3), 0);             // the last entry, 10
    EXPECT_GT(strip.GetVersion(), seen);
    EXPECT_EQ(strip.GetJudgedEnd(), 11u);
    seen = strip.GetVersion();
    EXPECT_EQ(strip.SetBlock(9, 3), 3);             // same state again: nothing to repaint
    EXPECT_EQ(strip.SetBlock(10, 2), 0xFF);         // refused: nothing either
    EXPECT_EQ(strip.GetVersion(), seen);
    EXPECT_EQ(strip.SetBlock(2, 2), 0);             // below the end: the end stays
    EXPECT_EQ(strip.GetJudgedEnd(), 11u);

    strip.Reset();
    EXPECT_GT(strip.GetVersion(), seen);
    EXPECT_EQ(strip.GetJudgedEnd(), 0u);
    for (std::size_t e = 0; e < strip.GetEntries(); ++e) {
        SCOPED_TRACE("entry " + std::to_string(e));
        EXPECT_EQ(strip.GetEntry(e), 0);
    }

    // A new allocation starts empty and still counts as a change.
    seen = strip.GetVersion();
    ASSERT_TRUE(strip.Allocate(5, 0));
    EXPECT_GT(strip.GetVersion(), seen);
    EXPECT_EQ(strip.GetJudgedEnd(), 0u);
}

TEST(StripStates, StatesInNamesEveryStateOfARangeToItsLastEntry) {
    StripStates strip;
    ASSERT_TRUE(strip.Allocate(9, 0));
    strip.SetBlock(1, 2);
    strip.SetBlock(6, 3);   // past a run of four, then the last of a range ending at 7
    strip.SetBlock(8, 1);
    struct Case {
        std::size_t first, last;
        std::uint8_t seen;
    };
    const Case cases[] = {
        {0, 9, 0b1111}, {0, 7, 0b1101}, {0, 6, 0b0101}, {2, 6, 0b0001}, {6, 7, 0b1000},
        {1, 2, 0b0100}, {3, 3, 0},      {5, 100, 0b1011},   // clipped at the last entry
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + ".." + std::to_string(c.last));
        EXPECT_EQ(strip.StatesIn(c.first, c.last), c.seen);
    }
}

// Resident memory of this process, from /proc.
std::uint64_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

TEST(StripStates, TheLargestStripCostsAddressSpaceNotMemory) {
    // A damaged header may state 2^32 - 1 blocks. Judging blocks at both ends and starting a
    // new run must leave the rest untouched: the run used to write every byte of it.
    const std::uint64_t before = ResidentBytes();
    StripStates strip;
    ASSERT_TRUE(strip.Allocate(0xFFFFFFFFu, 3));
    EXPECT_EQ(strip.GetEntries(), 0x100000002ull);
    EXPECT_EQ(strip.SetBlock(-3, StripStates::kIrregular), 0);
    EXPECT_EQ(strip.SetBlock(0x7FFFFFFF, StripStates::kAuthentic), 0);
    EXPECT_EQ(strip.GetEntry(0x100000001ull), 0);
    EXPECT_EQ(strip.GetEntry(0x80000002ull), StripStates::kAuthentic);
    strip.Reset();
    EXPECT_EQ(strip.GetEntry(0), StripStates::kNotJudged);
    EXPECT_EQ(strip.GetEntry(0x80000002ull), StripStates::kNotJudged);
    EXPECT_EQ(strip.SetBlock(5, StripStates::kIrregular), 0);
    EXPECT_LT(ResidentBytes(), before + (64u << 20));
}

TEST(AuthTally, CountsEachRecordOnceHoweverOftenItIsJudged) {
    AuthTally tally;
    ASSERT_TRUE(tally.Allocate(10, 1));
    EXPECT_TRUE(tally.OnBlockResult(4, 0));
    EXPECT_FALSE(tally.OnBlockResult(4, 0));            // played after it was authenticated
    EXPECT_FALSE(tally.OnBlockResult(4, kUnitAndSum));  // a later verdict changes nothing
    EXPECT_TRUE(tally.OnBlockResult(5, kUnitAndSum));
    EXPECT_FALSE(tally.OnBlockResult(10, 0));           // beyond the stated blocks
    const TallyCounts c = tally.GetCounts();
    EXPECT_EQ(c.verifiedBlocks, 1);
    EXPECT_EQ(c.irregularBlocks, 1);
    EXPECT_EQ(c.unitIdErrors, 1);
    EXPECT_EQ(c.checksumErrors, 1);
    EXPECT_EQ(c.fileNumberErrors, 0);
    EXPECT_EQ(c.sequenceErrors, 0);
    // Order and timestamp are one sequence error a block.
    tally.OnBlockResult(0, kIrregular | kBlockOrderError | kTimestampError);
    tally.OnBlockResult(1, kIrregular | kTimestampError);
    tally.OnBlockResult(2, kIrregular | kFileNumberError);
    EXPECT_EQ(tally.GetCounts().sequenceErrors, 2);
    EXPECT_EQ(tally.GetCounts().fileNumberErrors, 1);
    EXPECT_EQ(tally.GetCounts().irregularBlocks, 4);
}

TEST(AuthTally, HeaderRecordsCountInErrorsButNeverInDurations) {
    AuthTally tally;
    ASSERT_TRUE(tally.Allocate(3, 1));
    EXPECT_TRUE(tally.OnBlockResult(-1, kHeaderRecord | kIrregular | kChecksumError));
    TallyCounts c = tally.GetCounts();
    EXPECT_EQ(c.checksumErrors, 1);
    EXPECT_EQ(c.irregularBlocks, 0);
    EXPECT_EQ(c.verifiedBlocks, 0);

    tally.Reset();
    EXPECT_TRUE(tally.OnBlockResult(-1, kHeaderRecord));   // a sound header counts nowhere
    c = tally.GetCounts();
    EXPECT_EQ(c.checksumErrors + c.verifiedBlocks + c.irregularBlocks, 0);
}

TEST(AuthTally, StatusLineTurnsRedOnIrregularAndBlinksOnACleanRun) {
    AuthTally tally;
    ASSERT_TRUE(tally.Allocate(20, 1));
    tally.OnBlockResult(0, kIrregular | kChecksumError);
    EXPECT_EQ(tally.GetStatusColour(), AuthTally::kStatusRed);
    EXPECT_TRUE(tally.IsStatusEnabled());
    // Every irregular block lights the line anew, though it is lit already.
    const std::uint32_t writes = tally.StatusEnableWrites();
    tally.OnBlockResult(8, kIrregular | kChecksumError);
    EXPECT_EQ(tally.StatusEnableWrites(), writes + 1);
    EXPECT_TRUE(tally.IsStatusEnabled());
    std::vector<bool> enabled;
    for (int i = 1; i <= 7; ++i) {
        tally.OnBlockResult(i, 0);
        enabled.push_back(tally.IsStatusEnabled());
    }
    EXPECT_EQ(tally.GetStatusColour(), AuthTally::kStatusGreen);
    // Grey from the third good block, bright again after the sixth.
    EXPECT_EQ(enabled, (std::vector<bool>{true, true, false, false, false, true, true}));
    tally.OnBlockResult(3, 0);   // already judged: the line greys
    EXPECT_FALSE(tally.IsStatusEnabled());
}

TEST(FormatOf, SearchFindsTheFirstExtensionPastTheStartAndAnIx2ReaderReadsAnIm2EndingAsIm2) {
    using enum ImageFormat;
    struct Case {
        const char* path;
        ImageKind kind;   // searched, rules
    };
    for (const Case& c : {
             Case{"/a/x.IX2/F1.im2", {Ix2, Im2}},   // folder: the search; name: rules
             Case{"/x/F.Im2", {Im2, Im2}},
             Case{"/d.IMG/F.IX2", {Ix2, Ix2}},       // .IX2 is looked for first, wherever it stands
             Case{"/cases/A.IX2/rec.img", {Ix2, Ix2}},
             Case{"/x.IX2/FIM2", {Ix2, Im2}},        // the last three characters, not an extension
             Case{"/x.IMG/FIM2", {Img, Img}},        // only the IX2 reader has the IM2 rule
             Case{"rec.im2.bak", {Im2, Im2}},
             Case{"/x/rec.IMG", {Img, Img}},
             Case{"/a/.IMG", {Img, Img}},
             Case{".IMG", {None, None}},             // position 0 is not a find
             Case{".IX2.im2", {Im2, Im2}},
             Case{"/x/F00012", {None, None}},
             Case{"/x/rec.wav", {None, None}},
         })
        EXPECT_EQ(FormatOf(c.path), c.kind) << c.path;
}

}  // namespace
}  // namespace tvx

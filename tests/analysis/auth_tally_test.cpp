#include "analysis/auth_tally.h"
#include "formats/format_of.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>
#include <unistd.h>

namespace tvx {
namespace {

constexpr BlockStatus kUnitAndSum = kIrregular | kUnitIdError | kChecksumError;

auto Counts(const TallyCounts& c) {
    return std::tuple(c.verifiedBlocks, c.irregularBlocks, c.unitIdErrors, c.fileNumberErrors, c.sequenceErrors,
                      c.checksumErrors);
}

TEST(StripStates, OffsetsHeaderSlotsRefusesBadCallsAndMovesTheVersionOnlyOnChange) {
    StripStates strip;
    ASSERT_TRUE(strip.Allocate(100, 3));
    EXPECT_EQ(std::tuple(strip.GetEntries(), strip.GetJudgedEnd()), std::tuple(103u, 0u));
    const std::uint64_t start = strip.GetVersion();
    // Each answer is the state before, or refused; a refused call or the same state again
    // changes nothing, not even the version. Below the end judged so far the end stays.
    std::vector<std::tuple<int, std::uint64_t, std::size_t>> seen;
    for (const auto& [index, state] : {std::pair{99, 3}, {99, 3}, {99, 4}, {100, 2}, {-4, 2}, {-3, 2}, {99, 2}}) {
        const int answer = strip.SetBlock(index, static_cast<std::uint8_t>(state));
        seen.emplace_back(answer, strip.GetVersion() - start, strip.GetJudgedEnd());
    }
    EXPECT_EQ(seen, (std::vector<std::tuple<int, std::uint64_t, std::size_t>>{{0, 1, 103}, {3, 1, 103}, {0xFF, 1, 103},
                                                                             {0xFF, 1, 103}, {0xFF, 1, 103}, {0, 2, 103},
                                                                             {3, 3, 103}}));
    EXPECT_EQ(std::tuple(strip.GetEntry(0), strip.GetEntry(102)), std::tuple(2, 2));
    for (const bool reallocate : {false, true}) {   // both start empty and count as a change
        const std::uint64_t before = strip.GetVersion();
        if (reallocate)
            ASSERT_TRUE(strip.Allocate(5, 0));
        else
            strip.Reset();
        EXPECT_GT(strip.GetVersion(), before);
        EXPECT_EQ(std::tuple(strip.GetJudgedEnd(), strip.StatesIn(0, 200)), std::tuple(0u, 1));
    }
    ASSERT_TRUE(strip.Allocate(0, 0));
    EXPECT_EQ(strip.SetBlock(0, 2), 0xFF);
}

TEST(StripStates, StatesInNamesEveryStateOfARangeToItsLastEntry) {
    StripStates strip;
    ASSERT_TRUE(strip.Allocate(9, 0));
    strip.SetBlock(1, 2);
    strip.SetBlock(6, 3);   // past a run of four, then the last of a range ending at 7
    strip.SetBlock(8, 1);
    const std::tuple<std::size_t, std::size_t, int> kCases[] = {
        {0, 9, 0b1111}, {0, 7, 0b1101}, {0, 6, 0b0101}, {2, 6, 0b0001}, {6, 7, 0b1000},
        {1, 2, 0b0100}, {3, 3, 0},      {5, 100, 0b1011},   // clipped at the last entry
    };
    for (const auto& [first, last, seen] : kCases)
        EXPECT_EQ(strip.StatesIn(first, last), seen) << first << ".." << last;
}

TEST(StripStates, TheLargestStripCostsAddressSpaceNotMemory) {
    // A damaged header may state 2^32 - 1 blocks. Judging blocks at both ends and starting a
    // new run must leave the rest untouched: the run used to write every byte of it.
    const auto resident = [] {
        std::ifstream statm("/proc/self/statm");
        std::uint64_t size = 0, pages = 0;
        statm >> size >> pages;
        return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    };
    const std::uint64_t before = resident();
    StripStates strip;
    ASSERT_TRUE(strip.Allocate(0xFFFFFFFFu, 3));
    EXPECT_EQ(strip.GetEntries(), 0x100000002ull);
    EXPECT_EQ(strip.SetBlock(-3, StripStates::kIrregular), 0);
    EXPECT_EQ(strip.SetBlock(0x7FFFFFFF, StripStates::kAuthentic), 0);
    EXPECT_EQ(std::tuple(strip.GetEntry(0x100000001ull), strip.GetEntry(0x80000002ull)),
              std::tuple(StripStates::kNotJudged, StripStates::kAuthentic));
    strip.Reset();
    EXPECT_EQ(std::tuple(strip.GetEntry(0), strip.GetEntry(0x80000002ull)),
              std::tuple(StripStates::kNotJudged, StripStates::kNotJudged));
    EXPECT_EQ(strip.SetBlock(5, StripStates::kIrregular), 0);
    EXPECT_LT(resident(), before + (64u << 20));
}

TEST(AuthTally, CountsEachRecordOnceHoweverOftenItIsJudged) {
    AuthTally tally;
    ASSERT_TRUE(tally.Allocate(10, 1));
    // Played after it was authenticated, or judged again otherwise, or beyond the stated
    // blocks: not counted.
    std::vector<bool> counted;
    for (const auto& [index, status] : {std::pair{4, 0u}, {4, 0u}, {4, kUnitAndSum}, {5, kUnitAndSum}, {10, 0u}})
        counted.push_back(tally.OnBlockResult(index, status));
    EXPECT_EQ(counted, (std::vector<bool>{true, false, false, true, false}));
    EXPECT_EQ(Counts(tally.GetCounts()), std::tuple(1, 1, 1, 0, 0, 1));
    // Order and timestamp are one sequence error a block.
    tally.OnBlockResult(0, kIrregular | kBlockOrderError | kTimestampError);
    tally.OnBlockResult(1, kIrregular | kTimestampError);
    tally.OnBlockResult(2, kIrregular | kFileNumberError);
    EXPECT_EQ(Counts(tally.GetCounts()), std::tuple(1, 4, 1, 1, 2, 1));
}

TEST(AuthTally, HeaderRecordsCountInErrorsButNeverInDurations) {
    AuthTally tally;
    ASSERT_TRUE(tally.Allocate(3, 1));
    EXPECT_TRUE(tally.OnBlockResult(-1, kHeaderRecord | kIrregular | kChecksumError));
    EXPECT_EQ(Counts(tally.GetCounts()), std::tuple(0, 0, 0, 0, 0, 1));
    tally.Reset();
    EXPECT_TRUE(tally.OnBlockResult(-1, kHeaderRecord));   // a sound header counts nowhere
    EXPECT_EQ(Counts(tally.GetCounts()), std::tuple(0, 0, 0, 0, 0, 0));
}

TEST(AuthTally, StatusLineTurnsRedOnIrregularAndBlinksOnACleanRun) {
    AuthTally tally;
    ASSERT_TRUE(tally.Allocate(20, 1));
    tally.OnBlockResult(0, kIrregular | kChecksumError);
    EXPECT_EQ(std::tuple(tally.GetStatusColour(), tally.IsStatusEnabled()), std::tuple(AuthTally::kStatusRed, true));
    // Every irregular block lights the line anew, though it is lit already.
    const std::uint32_t writes = tally.StatusEnableWrites();
    tally.OnBlockResult(8, kIrregular | kChecksumError);
    EXPECT_EQ(std::tuple(tally.StatusEnableWrites(), tally.IsStatusEnabled()), std::tuple(writes + 1, true));
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
    // The format searched for, then the rules the bytes are read by.
    const std::pair<const char*, ImageKind> kCases[] = {
        {"/a/x.IX2/F1.im2", {Ix2, Im2}},   // folder: the search; name: rules
        {"/x/F.Im2", {Im2, Im2}},
        {"/d.IMG/F.IX2", {Ix2, Ix2}},       // .IX2 is looked for first, wherever it stands
        {"/cases/A.IX2/rec.img", {Ix2, Ix2}},
        {"/x.IX2/FIM2", {Ix2, Im2}},        // the last three characters, not an extension
        {"/x.IMG/FIM2", {Img, Img}},        // only the IX2 reader has the IM2 rule
        {"rec.im2.bak", {Im2, Im2}},        {"/x/rec.IMG", {Img, Img}}, {"/a/.IMG", {Img, Img}},
        {".IMG", {None, None}},             // position 0 is not a find
        {".IX2.im2", {Im2, Im2}},           {"/x/F00012", {None, None}}, {"/x/rec.wav", {None, None}},
    };
    for (const auto& [path, kind] : kCases)
        EXPECT_EQ(FormatOf(path), kind) << path;
}

}  // namespace
}  // namespace tvx

#include "analysis/auth_tally.h"
#include "core/format.h"
#include "formats/format_of.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
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
    // The counted irregular records reach a list of runs once each, in the order of their records; a
    // new run voids what was taken before.
    IrregularNews news = tally.TakeIrregular();
    std::vector<std::tuple<int, int, std::string>> runs;
    for (const IrregularRun& run : news.runs.Runs())
        runs.emplace_back(run.first, run.last, CauseWords(run.status));
    EXPECT_EQ(runs, (std::vector<std::tuple<int, int, std::string>>{
                        {0, 0, "Sequence / Timing"}, {1, 1, "Sequence / Timing"}, {2, 2, "File Number"},
                        {5, 5, "Unit ID, CheckSum"}}));
    EXPECT_TRUE(tally.TakeIrregular().runs.Empty());
    tally.Reset();
    EXPECT_TRUE(tally.TakeIrregular().restarted);
}

TEST(RunWalk, NAndPStepFromWherePlaybackStandsAndFromTheRunLastSteppedTo) {
    // A header record, blocks 10-11 and 12 (adjacent, another status); block 50 comes later.
    std::vector<IrregularRun> runs{{-1, -1, kIrregular | kHeaderRecord, 0, 0},
                                   {10, 11, kIrregular | kTimestampError, 320, 384},
                                   {12, 12, kIrregular | kChecksumError, 384, 416}};
    const IrregularRun later{50, 50, kIrregular | kUnitIdError, 1600, 1632};
    RunWalk walk;
    EXPECT_EQ(walk.Next({}, 0), std::nullopt);   // no runs
    enum Step { N, P, Forget };
    const std::tuple<Step, std::int64_t, std::optional<std::size_t>> kSteps[] = {
        {N, 0, 0},                     // before the first: the one right at the start
        {N, 0, 1},  {N, 352, 2},       // played on into the run: still the next one after it
        {N, 390, std::nullopt},        // after the last, until block 50 is found
        {N, 400, 3},  {P, 1610, 2},    // P walks back though playback moved past the start
        {P, 385, 1},  {P, 330, 0},     {P, 0, std::nullopt},
        {Forget, 0, {}}, {P, 352, 1},  // inside a run: back to its start
        {Forget, 0, {}}, {N, 352, 2},  {Forget, 0, {}}, {P, 5000, 3}, {Forget, 0, {}},
        {N, 2000, std::nullopt},       {P, 100, 0},   // between runs
        {P, 1700, 3},                  // playback went past the next runs: from where it stands
    };
    for (const auto& [step, played, expected] : kSteps) {
        if (step == Forget) {
            walk.Forget();
            continue;
        }
        EXPECT_EQ(step == N ? walk.Next(runs, played) : walk.Previous(runs, played), expected)
            << (step == N ? "N at " : "P at ") << played;
        if (runs.size() == 3 && played == 390)
            runs.push_back(later);
    }
}

TEST(IrregularRuns, RecordsOutOfOrderGoWhereTheyBelongAndCloseGaps) {
    IrregularRuns runs;
    const BlockStatus sum = kIrregular | kChecksumError;
    for (const int index : {7, 3, 5, 4, 8, 1})
        runs.Add(index, sum, index * 10, index * 10 + 10);
    runs.Add(6, kIrregular | kUnitIdError, 60, 70);
    std::vector<std::string> shown;
    for (const IrregularRun& run : runs.Runs())
        shown.push_back(RunBlocksText(run) + Format(" %lld-%lld", static_cast<long long>(run.startMs),
                                                    static_cast<long long>(run.endMs)));
    EXPECT_EQ(shown, (std::vector<std::string>{"block 1 10-20", "blocks 3-5 30-60", "block 6 60-70",
                                               "blocks 7-8 70-90"}));
    EXPECT_EQ(runs.Records(), 7u);
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

#include "controls/decrypt_bar.h"

#include "analysis/auth_tally.h"
#include "controls/strip_layout.h"
#include "controls_test_support.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace tvx {
namespace {

using test::Grab;
using test::RgbAt;

const std::string kBlack = "0, 0, 0";
const std::string kGrey = "64, 64, 64";
const std::string kGreen = "0, 196, 0";
const std::string kRed = "255, 0, 0";
const std::string kOlive = "196, 196, 0";

TEST(ColumnRule, IrregularWinsThenMixedThenAuthentic) {
    struct Case {
        std::vector<std::uint8_t> states;
        std::uint8_t cell;
    };
    const Case cases[] = {
        {{2, 2, 0, 0, 0}, 4}, {{2, 3, 2, 2, 2}, 3}, {{2, 2, 2, 2, 2}, 2}, {{0, 0, 0, 0, 0}, 0},
        {{0, 0, 2, 2, 2}, 4}, {{3, 0, 0}, 3},       {{0, 3, 2}, 3},       {{2, 0, 3}, 3},
        {{2}, 2},             {{0}, 0},
    };
    for (const Case& c : cases) {
        std::string name;
        for (auto s : c.states)
            name += std::to_string(s);
        SCOPED_TRACE(name);
        ColumnRule rule;
        for (auto s : c.states)
            rule.Add(s);
        EXPECT_EQ(rule.Cell(), c.cell);
    }
}

TEST(StripGeometry, ThousandEntriesOnTwoHundredColumnsShareFiveEach) {
    for (std::size_t e = 0; e < 5; ++e)
        EXPECT_EQ(CellOfEntry(e, 1000, 200), 0) << e;
    EXPECT_EQ(CellOfEntry(5, 1000, 200), 1);
    EXPECT_EQ(CellOfEntry(999, 1000, 200), 199);
    const EntryRange last = EntriesOfCell(199, 1000, 200);
    EXPECT_EQ(last.first, 995u);
    EXPECT_EQ(last.last, 1000u);
    const StripCell cell = CellGeometry(7, 1000, 200);
    EXPECT_EQ(cell.left, 8);
    EXPECT_EQ(cell.width, 1);
}

TEST(StripGeometry, FewEntriesGetWideCellsThatFillTheStrip) {
    const StripCell tenth = CellGeometry(10, 50, 200);   // p = 4.0: x = 41..44
    EXPECT_EQ(tenth.left, 41);
    EXPECT_EQ(tenth.width, 4);
    EXPECT_EQ(CellOfEntry(10, 50, 200), 10);
    // p = 66.67: truncation gives 66, 67, 67 pixels, ending at the last usable column.
    const int widths[] = {66, 67, 67};
    int left = 1;
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE("cell " + std::to_string(k));
        const StripCell c = CellGeometry(k, 3, 200);
        EXPECT_EQ(c.left, left);
        EXPECT_EQ(c.width, widths[k]);
        left += c.width;
    }
    EXPECT_EQ(left, 201);
}

TEST(StripGeometry, EveryEntryLiesInTheRangeOfItsOwnColumn) {
    // 1001 does not divide by 200: the ranges are uneven and must still meet exactly.
    std::size_t next = 0;
    for (int k = 0; k < 200; ++k) {
        const EntryRange r = EntriesOfCell(k, 1001, 200);
        ASSERT_EQ(r.first, next) << "cell " << k;
        ASSERT_LT(r.first, r.last) << "cell " << k;
        for (std::size_t e = r.first; e < r.last; ++e)
            ASSERT_EQ(CellOfEntry(e, 1001, 200), k) << "entry " << e;
        next = r.last;
    }
    EXPECT_EQ(next, 1001u);
}

TEST(StripLayout, EntriesPastTheJudgedEndCountAsNotJudged) {
    StripStates states;
    ASSERT_TRUE(states.Allocate(1000, 0));
    states.SetBlock(2, 2);   // column 0 holds 0, 0, 2, 0, 0
    states.SetBlock(7, 3);
    const auto cells = LayoutStrip(states, 200);
    ASSERT_EQ(cells.size(), 200u);
    EXPECT_EQ(cells[0].state, kMixedCell);
    EXPECT_EQ(cells[1].state, 3);
    EXPECT_EQ(cells[2].state, 0);
    EXPECT_EQ(cells[199].state, 0);
    EXPECT_TRUE(LayoutStrip(states, 0).empty());
}

TEST(DecryptBar, PaintsOliveRedGreenAndGreyColumnsOnBlack) {
    CDecryptBar bar;
    bar.resize(202, 20);
    ASSERT_TRUE(bar.Allocate(1000, 0));
    const std::uint8_t states[15] = {2, 2, 0, 0, 0, 2, 3, 2, 2, 2, 2, 2, 2, 2, 2};
    for (int i = 0; i < 15; ++i)
        ASSERT_EQ(bar.SetBlock(i, states[i]), 0);
    const QImage image = Grab(bar);
    EXPECT_EQ(RgbAt(image, 1, 10), kOlive);
    EXPECT_EQ(RgbAt(image, 2, 10), kRed);
    EXPECT_EQ(RgbAt(image, 3, 10), kGreen);
    EXPECT_EQ(RgbAt(image, 4, 10), kGrey);
    EXPECT_EQ(RgbAt(image, 200, 10), kGrey);
    EXPECT_EQ(RgbAt(image, 0, 10), kBlack);     // the margins
    EXPECT_EQ(RgbAt(image, 201, 10), kBlack);
    EXPECT_EQ(RgbAt(image, 1, 2), kBlack);      // three rows of black above and below
    EXPECT_EQ(RgbAt(image, 1, 3), kOlive);
    EXPECT_EQ(RgbAt(image, 1, 16), kOlive);
    EXPECT_EQ(RgbAt(image, 1, 17), kBlack);
}

TEST(DecryptBar, FiftyEntriesAreFourPixelCells) {
    CDecryptBar bar;
    bar.resize(202, 20);
    ASSERT_TRUE(bar.Allocate(50, 0));
    ASSERT_EQ(bar.SetBlock(10, 2), 0);
    EXPECT_EQ(bar.SetBlock(10, 3), 2);   // the first state comes back
    const QImage image = Grab(bar);
    EXPECT_EQ(RgbAt(image, 40, 10), kGrey);
    EXPECT_EQ(RgbAt(image, 41, 10), kRed);
    EXPECT_EQ(RgbAt(image, 44, 10), kRed);
    EXPECT_EQ(RgbAt(image, 45, 10), kGrey);
    EXPECT_EQ(bar.ColumnOf(10), 10);
}

TEST(DecryptBar, ResetGreysEveryCell) {
    CDecryptBar bar;
    bar.resize(202, 20);
    ASSERT_TRUE(bar.Allocate(100, 3));
    EXPECT_EQ(bar.SetBlock(-3, 2), 0);
    EXPECT_EQ(bar.SetBlock(96, 3), 0);
    EXPECT_EQ(bar.Reset(), 1);
    const QImage image = Grab(bar);
    EXPECT_EQ(RgbAt(image, 1, 10), kGrey);
    EXPECT_EQ(RgbAt(image, 200, 10), kGrey);
}

TEST(DecryptBar, PaintsTheVerdictsAWorkerStoredInTheTally) {
    AuthTally tally;
    ASSERT_TRUE(tally.Allocate(1000, 1));   // 1001 entries: the header first
    CDecryptBar bar;
    bar.resize(202, 20);
    bar.SetStates(&tally.GetStrip());
    std::thread worker([&tally] {
        for (std::int32_t i = -1; i < 999; ++i)   // all but the last block
            tally.OnBlockResult(i, i == 500 ? kIrregular | kChecksumError : 0);
    });
    worker.join();
    const QImage image = Grab(bar);
    EXPECT_EQ(RgbAt(image, 1, 10), kGreen);
    EXPECT_EQ(RgbAt(image, 101, 10), kRed);     // entry 501 lies in column 100
    EXPECT_EQ(RgbAt(image, 100, 10), kGreen);
    EXPECT_EQ(RgbAt(image, 200, 10), kOlive);   // 996..1000, the last never judged

    bar.SetStates(nullptr);   // back to its own, empty strip
    EXPECT_EQ(RgbAt(Grab(bar), 1, 10), kBlack);
}

TEST(DecryptBar, RepaintsWhenTheStatesChangeAndOnlyThen) {
    AuthTally tally;
    ASSERT_TRUE(tally.Allocate(1000, 0));
    CDecryptBar bar;
    bar.resize(202, 20);
    bar.SetStates(&tally.GetStrip());
    test::ShowAndSettle(bar);
    test::PaintCounter paints(bar);

    bar.PollStates();
    test::Settle();
    EXPECT_EQ(paints.Count(), 0);

    std::thread([&tally] { tally.OnBlockResult(0, 0); }).join();
    bar.PollStates();
    test::Settle();
    EXPECT_EQ(paints.Count(), 1);

    // Its own timer finds the next change without being asked.
    paints.Clear();
    std::thread([&tally] { tally.OnBlockResult(1, 0); }).join();
    for (int waited = 0; paints.Count() == 0 && waited < 5000; waited += 10)
        QTest::qWait(10);
    EXPECT_EQ(paints.Count(), 1);
}

TEST(DecryptBar, ClickGivesTheFractionOfTheWidth) {
    CDecryptBar bar;
    bar.resize(202, 20);
    QSignalSpy spy(&bar, &CDecryptBar::clicked);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(101, 10));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_DOUBLE_EQ(spy.at(0).at(0).toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(bar.GetClickFraction(), 0.5);
}

}  // namespace
}  // namespace tvx

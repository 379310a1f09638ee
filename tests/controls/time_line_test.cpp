#include "controls/time_line.h"

#include "controls_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace tvx {
namespace {

using test::Grab;
using test::RgbAt;
using test::RgbOf;

std::string Ticks(const std::vector<TimelineTick>& ticks) {
    std::string text;
    for (const TimelineTick& t : ticks)
        text += std::to_string(t.x) + "/" + std::to_string(t.length) + " ";
    return text;
}

const COleDateTime kStart = COleDateTime::FromFields(2024, 3, 9, 10, 45, 30);
const COleDateTime kEnd = COleDateTime::FromFields(2024, 3, 9, 12, 45, 30);

TEST(TimelineTicks, TwoHoursFromQuarterToElevenOn400Pixels) {
    ASSERT_EQ(SpannedSeconds(kEnd.GetDays() - kStart.GetDays()), 7200);
    ASSERT_EQ(FirstHourOffset(kStart), 870);
    const std::vector<TimelineTick> expected{
        {48, 8},  {49, 8},  {248, 8}, {249, 8},                      // hours, two wide
        {48, 5},  {98, 5},  {148, 5}, {198, 5}, {248, 5}, {298, 5},  // quarters from t = 870
        {348, 5}, {398, 5}};                                        // no five-minute marks
    const auto ticks = LayoutTicks(7200, 870, 400);
    EXPECT_EQ(ticks, expected) << Ticks(ticks);
}

TEST(TimelineTicks, StartOnTheHourPutsTheFirstHourMarkOneHourIn) {
    EXPECT_EQ(FirstHourOffset(COleDateTime::FromFields(2024, 3, 9, 11, 0, 0)), 3600);
    EXPECT_EQ(FirstHourOffset(COleDateTime()), 3600);   // the zero date
    const std::vector<TimelineTick> expected{
        {200, 8}, {201, 8},
        {0, 5},   {50, 5},  {100, 5}, {150, 5}, {200, 5}, {250, 5}, {300, 5}, {350, 5}};
    const auto ticks = LayoutTicks(7200, 3600, 400);
    EXPECT_EQ(ticks, expected) << Ticks(ticks);
}

TEST(TimelineTicks, FiveMinuteMarksOnlyWhenMoreThanFivePixelsApart) {
    // One hour on 400 pixels: 60 s is 6.7 pixels, so the five-minute marks show.
    const auto ticks = LayoutTicks(3600, 870, 400);
    std::vector<int> fives;
    for (const TimelineTick& t : ticks)
        if (t.length == 2)
            fives.push_back(t.x);
    // The column is t / N x W in floating point: 2070 s lands a hair short of 230.
    EXPECT_EQ(fives, (std::vector<int>{30, 63, 96, 130, 163, 196, 229, 263, 296, 330, 363, 396}));
    // Two hours on 10 pixels: an hour is exactly 5 pixels, which is not enough.
    EXPECT_TRUE(LayoutTicks(7200, 870, 10).empty()) << Ticks(LayoutTicks(7200, 870, 10));
    EXPECT_TRUE(LayoutTicks(0, 870, 400).empty());
}

TEST(TimelineLabels, ClockTimesAbsoluteAndCountedSpansRelative) {
    const TimelineLabels abs = AbsoluteLabels(kStart, kEnd, kStart);
    EXPECT_EQ(abs.left, "10:45:30");
    EXPECT_EQ(abs.right, "12:45:30");
    EXPECT_EQ(abs.centre, "Sat, 09 Mar 2024, 10:45:30");
    const TimelineLabels rel =
        RelativeLabels(COleDateTimeSpan::FromMs(3723000), COleDateTimeSpan::FromMs(61000));
    EXPECT_EQ(rel.left, "00:00:00");
    EXPECT_EQ(rel.right, "1:02:03");
    EXPECT_EQ(rel.centre, "0:01:01");
}

TEST(TimeLine, ModesFollowTheLastSetter) {
    CTimeLine line;
    EXPECT_FALSE(line.IsAbsolute());
    line.SetEndTime(COleDateTime());   // an end before the start is moved up to it
    line.SetStartTime(kStart);
    EXPECT_TRUE(line.IsAbsolute());
    EXPECT_EQ(line.GetLabels().right, "10:45:30");
    line.SetLength(COleDateTimeSpan::FromMs(3723000));
    EXPECT_FALSE(line.IsAbsolute());
    EXPECT_EQ(line.GetLabels().right, "1:02:03");
    line.ResetTimes();
    EXPECT_EQ(line.GetLabels().right, "0:00:00");
}

TEST(TimeLine, TicksHangFromTheTopOnTheFace) {
    CTimeLine line;
    line.resize(400, 40);
    line.SetStartTime(kStart);
    line.SetEndTime(kEnd);
    const QImage image = Grab(line);
    const std::string face = RgbOf(line.palette().color(QPalette::Active, QPalette::Button));
    const std::string black = "0, 0, 0";
    for (int y = 0; y < 8; ++y) {
        SCOPED_TRACE("row " + std::to_string(y));
        EXPECT_EQ(RgbAt(image, 48, y), black);
        EXPECT_EQ(RgbAt(image, 49, y), black);
        EXPECT_EQ(RgbAt(image, 248, y), black);
        EXPECT_EQ(RgbAt(image, 50, y), face);
        EXPECT_EQ(RgbAt(image, 0, y), face);
    }
    EXPECT_EQ(RgbAt(image, 48, 8), face);
    EXPECT_EQ(RgbAt(image, 98, 4), black);
    EXPECT_EQ(RgbAt(image, 98, 5), face);
    EXPECT_EQ(RgbAt(image, 99, 0), face);
}

TEST(TimeLine, TimeHeardRepaintsTheLabelsOnlyAndOnlyWhenItChanges) {
    CTimeLine line;
    line.resize(400, 40);
    line.SetStartTime(kStart);
    line.SetEndTime(kEnd);
    test::ShowAndSettle(line);
    test::PaintCounter paints(line);

    line.SetCurrentTime(kStart);   // the start is already the time heard
    line.SetPosition(COleDateTimeSpan());
    test::Settle();
    EXPECT_EQ(paints.Count(), 0);

    line.SetCurrentTime(kStart + COleDateTimeSpan::FromMs(1000));
    test::Settle();
    ASSERT_EQ(paints.Count(), 1);
    EXPECT_EQ(paints.Rects()[0], QRect(0, 12, 400, 28));
    EXPECT_EQ(line.GetLabels().centre, "Sat, 09 Mar 2024, 10:45:31");
}

}  // namespace
}  // namespace tvx

// Calendar times and spans as the program prints them.

#include "core/datetime.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

namespace tvx {
namespace {

constexpr const char* kLong = "%a, %d %b %Y, %H:%M:%S";

TEST(DateTime, DaysAndWeekdaysAcrossTheCalendar) {
    const std::tuple<int, int, int, double, const char*> kCases[] = {
        {1899, 12, 30, 0, "Sat, 30 Dec 1899, 00:00:00"},     {1899, 12, 29, -1, "Fri, 29 Dec 1899, 00:00:00"},
        {1900, 3, 1, 61, "Thu, 01 Mar 1900, 00:00:00"},      {2000, 2, 29, 36585, "Tue, 29 Feb 2000, 00:00:00"},
        {2008, 3, 14, 39521, "Fri, 14 Mar 2008, 00:00:00"},  {2063, 12, 31, 59901, "Mon, 31 Dec 2063, 00:00:00"},
        {9999, 12, 31, 2958465, "Fri, 31 Dec 9999, 00:00:00"}, {100, 1, 1, -657434, "Fri, 01 Jan 100, 00:00:00"},
    };
    for (const auto& [y, m, d, days, text] : kCases) {
        const COleDateTime t = COleDateTime::FromFields(y, m, d, 0, 0, 0);
        EXPECT_EQ(std::tuple(t.GetDays(), t.Format(kLong)), std::tuple(days, text));
    }
    // Before the epoch the time of day counts away from zero: -1.25 is 06:00 the day before.
    EXPECT_EQ(COleDateTime::FromFields(1899, 12, 29, 6, 0, 0).GetDays(), -1.25);
    EXPECT_EQ(COleDateTime(-1.25).Format(kLong), "Fri, 29 Dec 1899, 06:00:00");
}

TEST(DateTime, FieldsOutsideTheCalendarAreInvalid) {
    const int kBad[][6] = {
        {2008, 3, 14, 24, 0, 0}, {2008, 3, 14, 9, 60, 0}, {2008, 3, 14, 9, 0, 60}, {2008, 2, 30, 0, 0, 0},
        {2007, 2, 29, 0, 0, 0},  {1900, 2, 29, 0, 0, 0},  {2008, 4, 31, 0, 0, 0},  {2008, 13, 1, 0, 0, 0},
        {2008, 1, 0, 0, 0, 0},   {99, 12, 31, 0, 0, 0},   {10000, 1, 1, 0, 0, 0},
    };
    for (const auto& f : kBad) {
        SCOPED_TRACE(testing::Message() << f[0] << "-" << f[1] << "-" << f[2] << " " << f[3]);
        const COleDateTime t = COleDateTime::FromFields(f[0], f[1], f[2], f[3], f[4], f[5]);
        // Adding to an invalid time leaves it invalid.
        EXPECT_EQ(std::tuple(t.GetStatus(), t.Format(kLong), (t + COleDateTimeSpan::FromMs(1000)).GetStatus()),
                  std::tuple(COleDateTime::invalid, "Invalid DateTime", COleDateTime::invalid));
    }
    EXPECT_EQ(COleDateTime::FromFields(2004, 2, 29, 23, 59, 59).GetStatus(), COleDateTime::valid);
    EXPECT_EQ(COleDateTime(2958466.0).Format(kLong), "Invalid DateTime");
}

TEST(DateTime, AddingASpanRoundsToTheNearestSecondAndNamesAreEnglish) {
    const COleDateTime start = COleDateTime::FromFields(2008, 3, 14, 9, 26, 53);
    const COleDateTime late = COleDateTime::FromFields(2008, 12, 31, 23, 59, 59);
    EXPECT_EQ(std::vector({(start + COleDateTimeSpan::FromMs(12762)).Format(kLong),
                           (start + COleDateTimeSpan::FromMs(12499)).Format(kLong),
                           (late + COleDateTimeSpan::FromSeconds(1)).Format(kLong),   // a new day, month and year
                           (late + COleDateTimeSpan::FromMs(499)).Format("%H:%M:%S"),
                           start.Format(": %Y/%m/%d %H:%M:%S %A %B %y %% %q 100%")}),
              std::vector<std::string>({"Fri, 14 Mar 2008, 09:27:06", "Fri, 14 Mar 2008, 09:27:05",
                                        "Thu, 01 Jan 2009, 00:00:00", "23:59:59",
                                        ": 2008/03/14 09:26:53 Friday March 08 % %q 100%"}));
}

TEST(DateTime, SpansAsHoursMinutesSeconds) {
    EXPECT_EQ(std::vector({FormatMs(3723004), FormatMs(59999), FormatMs(360000000000)}),
              std::vector<std::string>({"01:02:03.004", "00:00:59.999", "100000:00:00.000"}));   // hours past 24
    // A fraction of a second is dropped, except the last 1/48 s before a whole second: the
    // hours take trunc(days x 24 + 1/172,800), which makes 59:59.999 a whole hour, and
    // minutes and seconds follow them.
    std::vector<std::string> spans;
    for (const std::int64_t ms : {3723004, 59900, 3599900, 3599999, 59999, 59970})
        spans.push_back(FormatSpanHms(COleDateTimeSpan::FromMs(ms)));
    EXPECT_EQ(spans, std::vector<std::string>({"1:02:03", "0:00:59", "0:59:59", "1:00:00", "0:01:00", "0:00:59"}));
    // Whole seconds print exactly however the span was made, up to years of audio.
    for (std::int64_t s = 0; s < 400000; s += 7) {
        char want[32];
        std::snprintf(want, sizeof want, "%d:%02d:%02d", int(s / 3600), int(s / 60 % 60), int(s % 60));
        ASSERT_EQ(FormatSpanHms(COleDateTimeSpan::FromMs(s * 1000)), want) << s;
        ASSERT_EQ(FormatSpanHms(COleDateTimeSpan::FromSeconds(static_cast<double>(s))), want) << s;
    }
    EXPECT_EQ(FormatSpanHms(COleDateTimeSpan::FromSeconds(99999999)), "27777:46:39");
}

}  // namespace
}  // namespace tvx

#include "core/datetime.h"

#include "core/format.h"

#include <cmath>

namespace tvx {
namespace {

constexpr double kHalfSecond = 1.0 / 172800.0;
constexpr double kMinDays = -657434.0;    // 1 Jan 100
constexpr double kMaxDays = 2958465.0;    // 31 Dec 9999

constexpr bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

constexpr int DaysInMonth(int y, int m) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (m == 2 && IsLeap(y)) ? 29 : kDays[m - 1];
}

// Days from 1 Jan 1970 of a proleptic Gregorian date (Howard Hinnant's civil algorithm).
constexpr std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr std::int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

constexpr const char* kDayShort[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kDayLong[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthShort[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kMonthLong[12] = {"January", "February", "March",     "April",
                                        "May",     "June",     "July",      "August",
                                        "September", "October", "November", "December"};

}  // namespace

COleDateTime COleDateTime::FromFields(int year, int month, int day, int hour, int minute,
                                      int second) {
    COleDateTime t;
    const bool ok = year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
                    day <= DaysInMonth(year, month) && hour >= 0 && hour <= 23 &&
                    minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
    if (!ok) {
        t.m_status = invalid;
        return t;
    }
    const double date = static_cast<double>(DaysFromCivil(year, month, day) - kEpochOffset);
    const double time = (hour * 3600 + minute * 60 + second) / 86400.0;
    // Days before the epoch count their time of day away from zero.
    t.m_dt = date >= 0 ? date + time : date - time;
    return t;
}

bool COleDateTime::GetFields(Fields& out) const {
    if (m_status != valid || !(m_dt >= kMinDays && m_dt <= kMaxDays))
        return false;
    const double rounded = m_dt + (m_dt > 0 ? kHalfSecond : -kHalfSecond);
    const double whole = std::trunc(rounded);
    const double fraction = std::fabs(rounded - whole);
    const auto days = static_cast<std::int64_t>(whole);
    CivilFromDays(days + kEpochOffset, out.year, out.month, out.day);
    auto seconds = static_cast<long>(fraction * 86400.0);
    if (seconds >= 86400)
        seconds = 86399;
    out.hour = static_cast<int>(seconds / 3600);
    out.minute = static_cast<int>(seconds / 60 % 60);
    out.second = static_cast<int>(seconds % 60);
    // 30 Dec 1899 was a Saturday.
    out.dayOfWeek = static_cast<int>(((days % 7) + 7 + 6) % 7);
    return true;
}

std::string COleDateTime::Format(const char* pattern) const {
    Fields f{};
    if (!GetFields(f))
        return kInvalidDateTimeText;
    std::string text;
    for (const char* p = pattern; *p; ++p) {
        if (*p != '%' || p[1] == '\0') {
            text += *p;
            continue;
        }
        switch (*++p) {
        case 'a': text += kDayShort[f.dayOfWeek]; break;
        case 'A': text += kDayLong[f.dayOfWeek]; break;
        case 'b': text += kMonthShort[f.month - 1]; break;
        case 'B': text += kMonthLong[f.month - 1]; break;
        case 'd': text += tvx::Format("%02d", f.day); break;
        case 'm': text += tvx::Format("%02d", f.month); break;
        case 'Y': text += tvx::Format("%d", f.year); break;
        case 'y': text += tvx::Format("%02d", f.year % 100); break;
        case 'H': text += tvx::Format("%02d", f.hour); break;
        case 'M': text += tvx::Format("%02d", f.minute); break;
        case 'S': text += tvx::Format("%02d", f.second); break;
        case '%': text += '%'; break;
        default: text += '%'; text += *p; break;
        }
    }
    return text;
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& span) const {
    COleDateTime t = *this;
    if (m_status == valid)
        t.m_dt = m_dt + span.m_span;
    return t;
}

std::string FormatMs(std::int64_t ms) {
    return Format("%02lld:%02lld:%02lld.%03lld", static_cast<long long>(ms / 3600000),
                  static_cast<long long>(ms / 60000 % 60), static_cast<long long>(ms / 1000 % 60),
                  static_cast<long long>(ms % 1000));
}

SpanHms SplitSpan(const COleDateTimeSpan& span) {
    // Hours are trunc(days x 24 + 1/172800); the same nudge in seconds keeps minutes and
    // seconds consistent with them and absorbs the rounding of ms / 86,400,000.
    const double seconds = std::floor(span.m_span * 86400.0 + kHalfSecond * 3600.0);
    const double hours = std::floor(seconds / 3600.0);
    const double rest = seconds - hours * 3600.0;
    return {hours, static_cast<long>(rest / 60.0), static_cast<long>(std::fmod(rest, 60.0))};
}

std::string FormatSpanHms(const COleDateTimeSpan& span) {
    const SpanHms hms = SplitSpan(span);
    return Format("%.0f:%02ld:%02ld", hms.hours, hms.minutes, hms.seconds);
}

}  // namespace tvx

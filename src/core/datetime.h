#pragma once

#include <cstdint>
#include <string>

namespace tvx {

// A span of days as a double, as the recording times are measured.
struct COleDateTimeSpan {
    double m_span = 0.0;

    static COleDateTimeSpan FromMs(std::int64_t ms) {
        return {static_cast<double>(ms) / 86400000.0};
    }
    static COleDateTimeSpan FromSeconds(double seconds) { return {seconds / 86400.0}; }
};

// A calendar time: days since 30 Dec 1899 as a double, with a validity status. A value built
// from fields outside the calendar (hour 24, 31 February) is invalid and prints as such.
class COleDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1 };

    COleDateTime() = default;
    explicit COleDateTime(double days) : m_dt(days) {}

    // Fields are checked as the calendar demands; an invalid set leaves the value at zero.
    static COleDateTime FromFields(int year, int month, int day, int hour, int minute,
                                   int second);

    DateTimeStatus GetStatus() const { return m_status; }
    double GetDays() const { return m_dt; }

    struct Fields {
        int year, month, day, hour, minute, second, dayOfWeek;   // dayOfWeek 0 = Sunday
    };
    // Broken down to the nearest second; false when the value lies outside the calendar.
    bool GetFields(Fields& out) const;

    // strftime-like: %a %A %b %B %d %m %Y %y %H %M %S %%, English names whatever the locale.
    std::string Format(const char* pattern) const;

    COleDateTime operator+(const COleDateTimeSpan& span) const;

private:
    double m_dt = 0.0;
    DateTimeStatus m_status = valid;
};

inline constexpr const char* kInvalidDateTimeText = "Invalid DateTime";

// "%02I64d:%02I64d:%02I64d.%03I64d": hours not limited to 24.
std::string FormatMs(std::int64_t ms);

// "%.0f:%02ld:%02ld" of a span: whole hours, then minutes and seconds; a fraction of a second
// is dropped, and a whole number of seconds always prints exactly.
std::string FormatSpanHms(const COleDateTimeSpan& span);

struct SpanHms {
    double hours;
    long minutes;
    long seconds;
};
SpanHms SplitSpan(const COleDateTimeSpan& span);

}  // namespace tvx

#include "export/details.h"

#include "core/datetime.h"
#include "core/format.h"
#include "core/string_table.h"

namespace tvx {

std::string DetailsCaption(const std::string& formatName) {
    return Format(LoadString(145), formatName.c_str());
}

std::string DetailsTime(const COleDateTime& time) { return time.Format("%a, %d %b %Y, %H:%M:%S"); }

std::string DetailsDurationLine(const COleDateTimeSpan& span) {
    const SpanHms hms = SplitSpan(span);
    return Format("Duration:\t%.0f:%02ld:%02ld\r\n", hms.hours, hms.minutes, hms.seconds);
}

std::string DetailsCompleteLine(bool complete) {
    return Format("Complete:\t%s\r\n", complete ? "YES" : "NO");
}

std::string DetailsStartLine(const COleDateTime& start) {
    return Format("Start:\t%s\r\n", DetailsTime(start).c_str());
}

std::string DetailsNumber(long value) {
    return Format("%u", unsigned{static_cast<std::uint16_t>(value)});
}

}  // namespace tvx

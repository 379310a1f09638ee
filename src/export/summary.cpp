#include "export/summary.h"

#include "core/format.h"
#include "core/string_table.h"

namespace tvx {

std::string SummaryRule() { return LoadString(113); }

std::string SummaryDuration(const char* pattern, const COleDateTimeSpan& span) {
    const SpanHms hms = SplitSpan(span);
    return Format(pattern, hms.hours, hms.minutes, hms.seconds);
}

std::string SummaryCount(int id, std::uint32_t value) {
    return Format(LoadString(id), static_cast<unsigned long>(value));
}

}  // namespace tvx

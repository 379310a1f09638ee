#pragma once

#include "core/datetime.h"

#include <cstdint>
#include <string>

namespace tvx {

// 61 hyphens: the rule that opens every segment text and frames its summary.
std::string SummaryRule();

// A summary line from a pattern holding hours, minutes and seconds, or a count.
std::string SummaryDuration(const char* pattern, const COleDateTimeSpan& span);
std::string SummaryCount(int id, std::uint32_t value);

}  // namespace tvx

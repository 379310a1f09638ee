#pragma once

#include "export/segments.h"
#include "export/summary.h"
#include "export/text_stream.h"
#include "formats/im2/im2.h"

#include <cstdint>
#include <string>

namespace tvx {

// The summary block that closes the text file of a finished segment: identity, times,
// format and the segment's irregularity counts. The text is before text-mode conversion.
std::string SummaryText(const CIm2& reader, const SegmentCounters& counters,
                        std::uint32_t segmentStartSeconds, double durationSeconds);

void WriteSummary(const std::string& sourcePath, TextStream& text, const CIm2& reader,
                  const SegmentCounters& counters, std::uint32_t segmentStartSeconds,
                  double durationSeconds);

}  // namespace tvx

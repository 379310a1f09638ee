#pragma once

#include "export/segments.h"
#include "export/text_stream.h"
#include "formats/img/img.h"

#include <cstdint>
#include <string>

namespace tvx {

// The summary block of a finished IMG segment: identity, length, format and counts; IMG
// images carry no dates. The text is before text-mode conversion.
std::string ImgSummaryText(const CImg& reader, const SegmentCounters& counters,
                           double durationSeconds);

// The segment start is not used: an IMG summary has no times.
void WriteImgSummary(const std::string& sourcePath, TextStream& text, const CImg& reader,
                     const SegmentCounters& counters, std::uint32_t segmentStartSeconds,
                     double durationSeconds);

}  // namespace tvx

#include "formats/im2/im2_summary.h"

#include "core/datetime.h"
#include "core/format.h"
#include "core/string_table.h"
#include "formats/ix2/ix2.h"

#include <cmath>

namespace tvx {
namespace {

constexpr const char* kTimePattern = ": %Y/%m/%d %H:%M:%S";

}  // namespace

std::string SummaryText(const CIm2& reader, const SegmentCounters& counters,
                        std::uint32_t segmentStartSeconds, double durationSeconds) {
    const COleDateTime start = reader.StartTime();
    // An IX2 file holds one split: its segments count from the split's start.
    const auto* split = dynamic_cast<const CIx2*>(&reader);
    const COleDateTime base = split ? split->SplitStartTime() : start;
    const COleDateTime segmentStart =
        base + COleDateTimeSpan::FromSeconds(static_cast<double>(segmentStartSeconds));
    const auto rate = static_cast<unsigned>(reader.m_nSampleRate);
    const auto samples =
        static_cast<unsigned long>(std::trunc(reader.m_nSampleRate * durationSeconds));
    const double irregularSeconds =
        static_cast<double>(reader.BlocksToMs(counters[kSlotTotal])) * 0.001;

    std::string s;
    s += SummaryRule() + "\r\n\r\n";
    s += std::string(LoadString(124)) + "\r\n";
    s += Format(LoadString(125), reader.GetUnitId().c_str()) + "\n";
    s += Format(LoadString(126), unsigned{reader.GetFileNumber()}) + "\n";
    s += LoadString(127) + start.Format(kTimePattern) + "\n";
    s += SummaryDuration(LoadString(128), reader.StatedSpan()) + "\n";
    if (split) {
        s += LoadString(153) + base.Format(kTimePattern) + "\n";
        s += SummaryDuration(LoadString(154), split->SplitSpan()) + "\n";
    }
    s += LoadString(129) + segmentStart.Format(kTimePattern) + "\n";
    s += SummaryDuration(LoadString(130), COleDateTimeSpan::FromSeconds(durationSeconds)) + "\n";
    s += Format(LoadString(131), rate / 1000, rate % 1000) + "\n";
    s += Format(LoadString(132), reader.m_nStoredBits) + "\n";
    s += Format(LoadString(133), reader.GetChannels()) + "\n";
    s += LoadString(134) + Format(": %lu", samples) + "\n";
    s += SummaryCount(135, counters[kSlotUnitId]) + "\n";
    s += SummaryCount(136, counters[kSlotFileNumber]) + "\n";
    s += SummaryCount(137, counters[kSlotBlockOrder]) + "\n";
    s += SummaryCount(138, counters[kSlotTimestamp]) + "\n";
    s += SummaryCount(139, counters[kSlotChecksum]) + "\n";
    s += SummaryCount(140, counters[kSlotTotal]) + "\n";
    s += Format(LoadString(141), irregularSeconds) + "\n";
    s += "\r\n" + SummaryRule() + "\r\n";
    s += std::string(LoadString(142)) + "\n";
    return s;
}

void WriteSummary(const std::string& /*sourcePath*/, TextStream& text, const CIm2& reader,
                  const SegmentCounters& counters, std::uint32_t segmentStartSeconds,
                  double durationSeconds) {
    text.Write(SummaryText(reader, counters, segmentStartSeconds, durationSeconds));
}

}  // namespace tvx

#include "formats/img/img_summary.h"

#include "core/datetime.h"
#include "core/format.h"
#include "core/string_table.h"
#include "export/summary.h"

#include <cmath>

namespace tvx {

std::string ImgSummaryText(const CImg& reader, const SegmentCounters& counters,
                           double durationSeconds) {
    const auto rate = static_cast<std::int32_t>(reader.m_nSampleRate);
    const std::int64_t lengthSeconds = reader.GetLengthMs() / 1000;
    const auto samples = static_cast<unsigned long>(std::trunc(rate * durationSeconds));
    const double irregularSeconds =
        static_cast<double>(reader.TimeOfRecord(counters[kSlotTotal])) * 0.001;

    std::string s;
    s += SummaryRule() + "\r\n\r\n";
    s += std::string(LoadString(143)) + "\r\n";
    s += Format("Unit ID: %s", reader.GetUnitIdText().c_str()) + "\n";
    s += Format("Audio Image Number: %u", reader.m_nRefFileNumber) + "\n";
    s += SummaryDuration("Recording Length:  %.0f:%02ld:%02ld",
                         COleDateTimeSpan::FromSeconds(static_cast<double>(lengthSeconds))) + "\n";
    s += SummaryDuration("WAV Segment Length: %.0f:%02ld:%02ld",
                         COleDateTimeSpan::FromSeconds(durationSeconds)) + "\n";
    s += Format("Sample Rate: %u,%03u Hz", static_cast<unsigned>(rate / 1000),
                static_cast<unsigned>(rate % 1000)) + "\n";
    s += Format("Bits Per Sample: %d", static_cast<int>(reader.m_nCoding)) + "\n";
    s += Format("Channels: %d", 1) + "\n";
    s += std::string("Samples Per Channel") + Format(": %lu", samples) + "\n";
    s += SummaryCount(135, counters[kSlotUnitId]) + "\n";
    s += SummaryCount(136, counters[kSlotFileNumber]) + "\n";
    s += SummaryCount(137, counters[kSlotBlockOrder]) + "\n";
    s += SummaryCount(139, counters[kSlotChecksum]) + "\n";
    s += SummaryCount(144, counters[kSlotVoiceImage]) + "\n";
    s += SummaryCount(140, counters[kSlotTotal]) + "\n";
    s += Format(LoadString(141), irregularSeconds) + "\n";
    s += "\r\n" + SummaryRule() + "\r\n";
    return s;
}

void WriteImgSummary(const std::string& /*sourcePath*/, TextStream& text, const CImg& reader,
                     const SegmentCounters& counters, std::uint32_t /*segmentStartSeconds*/,
                     double durationSeconds) {
    text.Write(ImgSummaryText(reader, counters, durationSeconds));
}

}  // namespace tvx

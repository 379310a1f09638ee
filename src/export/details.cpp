#include "export/details.h"

#include "core/datetime.h"
#include "core/format.h"
#include "core/string_table.h"

namespace tvx {

std::string DetailsCaption(const std::string& formatName) {
    return Format(LoadString(145), formatName.c_str());
}

std::string DetailsTime(const COleDateTime& time) { return time.Format("%a, %d %b %Y, %H:%M:%S"); }

std::string Im2DetailsText(const CIm2& image) {
    const SpanHms stated = SplitSpan(image.StatedSpan());
    std::string text = "Recording:\r\n";
    text += Format("Start:\t%s\r\n", DetailsTime(image.StartTime()).c_str());
    text += Format("Duration:\t%.0f:%02ld:%02ld\r\n", stated.hours, stated.minutes, stated.seconds);
    text += Format("Complete:\t%s\r\n", image.IsComplete() ? "YES" : "NO");
    return text;
}

}  // namespace tvx

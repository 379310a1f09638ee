#include "formats/ix2/ix2_details.h"

#include "core/format.h"
#include "core/string_table.h"
#include "formats/im2/im2_details.h"

namespace tvx {

std::string Ix2DetailsText(const CIx2& image) {
    const bool chain = image.HasSplitIndex();
    std::string text = "---Recording---\r\n";
    if (image.m_nFirstIndex == kUnknownIndex) {
        text += "Details unknown\r\n";
    } else {
        text += DetailsStartLine(image.StartTime());
        if (chain)
            text += Format("\t(slave %s)\r\n", DetailsTime(image.m_snapStart).c_str());
        text += DetailsDurationLine(image.StatedSpan());
        text += DetailsCompleteLine(image.IsComplete());
    }
    text += "\r\n---This Split File---\r\n";
    if (image.m_nSplitFirst == kUnknownBlock || image.m_nSplitLast == kUnknownBlock) {
        text += "Details unknown\r\n";
    } else {
        text += DetailsStartLine(image.SplitStartTime());
        text += DetailsDurationLine(image.SplitSpan());
        text += DetailsCompleteLine(image.IsWholeSplit());
    }
    return text;
}

DetailsFields Ix2Details(const CIx2& image) {
    DetailsFields f;
    f.formatName = LoadString(146);
    if (image.HasSplitIndex()) {
        f.formatName += " chain";
        f.unitText = Format("%s (slave %s)", image.GetUnitId().c_str(),
                            image.m_strSnapUnitId.c_str());
        f.number = Format("%u (slave %u)", unsigned{image.GetFileNumber()},
                          unsigned{static_cast<std::uint16_t>(image.m_nSnapFileNumber)});
    } else {
        f.unitText = image.GetUnitId();
        f.number = DetailsNumber(image.GetFileNumber());
    }
    SetAudioFields(f, image);
    f.details = Ix2DetailsText(image);
    return f;
}

}  // namespace tvx

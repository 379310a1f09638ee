#include "export/details.h"

#include "core/datetime.h"
#include "core/format.h"
#include "core/string_table.h"

namespace tvx {

std::string DetailsCaption(const std::string& formatName) {
    return Format(LoadString(145), formatName.c_str());
}

std::string DetailsTime(const COleDateTime& time) { return time.Format("%a, %d %b %Y, %H:%M:%S"); }

namespace {

std::string DurationLine(const COleDateTimeSpan& span) {
    const SpanHms hms = SplitSpan(span);
    return Format("Duration:\t%.0f:%02ld:%02ld\r\n", hms.hours, hms.minutes, hms.seconds);
}

std::string CompleteLine(bool complete) {
    return Format("Complete:\t%s\r\n", complete ? "YES" : "NO");
}

std::string StartLine(const COleDateTime& start) {
    return Format("Start:\t%s\r\n", DetailsTime(start).c_str());
}

// The dialog's fields hold 16-bit values.
std::string U16(long v) { return Format("%u", unsigned{static_cast<std::uint16_t>(v)}); }

void SetAudioFormat(DetailsFields& f, const CIm2& image) {
    f.sampleRate = U16(image.m_nSampleRate);
    f.bits = U16(image.m_nStoredBits);
    f.channels = U16(image.GetChannels());
}

}  // namespace

std::string Ix2DetailsText(const CIx2& image) {
    const bool chain = image.HasSplitIndex();
    std::string text = "---Recording---\r\n";
    if (image.m_nFirstIndex == kUnknownIndex) {
        text += "Details unknown\r\n";
    } else {
        text += StartLine(image.StartTime());
        if (chain)
            text += Format("\t(slave %s)\r\n", DetailsTime(image.m_snapStart).c_str());
        text += DurationLine(image.StatedSpan());
        text += CompleteLine(image.IsComplete());
    }
    text += "\r\n---This Split File---\r\n";
    if (image.m_nSplitFirst == kUnknownBlock || image.m_nSplitLast == kUnknownBlock) {
        text += "Details unknown\r\n";
    } else {
        text += StartLine(image.SplitStartTime());
        text += DurationLine(image.SplitSpan());
        text += CompleteLine(image.IsWholeSplit());
    }
    return text;
}

DetailsFields Im2Details(const CIm2& image) {
    DetailsFields f;
    f.formatName = LoadString(147);
    f.unitText = image.GetUnitId();
    f.number = U16(image.GetFileNumber());
    SetAudioFormat(f, image);
    f.details = Im2DetailsText(image);
    return f;
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
        f.number = U16(image.GetFileNumber());
    }
    SetAudioFormat(f, image);
    f.details = Ix2DetailsText(image);
    return f;
}

DetailsFields ImgDetails(const CImg& image) {
    DetailsFields f;
    f.formatName = LoadString(148);
    f.unitText = image.GetWindowUnitIdText();
    f.number = U16(image.m_nRefFileNumber);
    f.sampleRate = U16(image.m_nSampleRate);
    f.bits = U16(image.m_nCoding);
    f.channels = U16(1);
    f.details = DurationLine(image.GetLength());
    return f;
}

std::string Im2DetailsText(const CIm2& image) {
    return "Recording:\r\n" + StartLine(image.StartTime()) + DurationLine(image.StatedSpan()) +
           CompleteLine(image.IsComplete());
}

}  // namespace tvx

#include "formats/im2/im2_details.h"

#include "core/string_table.h"

namespace tvx {

void SetAudioFields(DetailsFields& fields, const CIm2& image) {
    fields.sampleRate = DetailsNumber(image.m_nSampleRate);
    fields.bits = DetailsNumber(image.m_nStoredBits);
    fields.channels = DetailsNumber(image.GetChannels());
}

std::string Im2DetailsText(const CIm2& image) {
    return "Recording:\r\n" + DetailsStartLine(image.StartTime()) +
           DetailsDurationLine(image.StatedSpan()) + DetailsCompleteLine(image.IsComplete());
}

DetailsFields Im2Details(const CIm2& image) {
    DetailsFields f;
    f.formatName = LoadString(147);
    f.unitText = image.GetUnitId();
    f.number = DetailsNumber(image.GetFileNumber());
    SetAudioFields(f, image);
    f.details = Im2DetailsText(image);
    return f;
}

}  // namespace tvx

#include "formats/img/img_details.h"

#include "core/string_table.h"

namespace tvx {

DetailsFields ImgDetails(const CImg& image) {
    DetailsFields f;
    f.formatName = LoadString(148);
    f.unitText = image.GetWindowUnitIdText();
    f.number = DetailsNumber(image.m_nRefFileNumber);
    f.sampleRate = DetailsNumber(image.m_nSampleRate);
    f.bits = DetailsNumber(image.m_nCoding);
    f.channels = DetailsNumber(1);
    f.details = DetailsDurationLine(image.GetLength());
    return f;
}

}  // namespace tvx

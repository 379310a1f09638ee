#pragma once

#include "export/details.h"
#include "formats/im2/im2.h"

#include <string>

namespace tvx {

// The time and length text of an IM2 image: its start, stated duration and completeness,
// one CR LF line each under "Recording:".
std::string Im2DetailsText(const CIm2& image);

DetailsFields Im2Details(const CIm2& image);

// Rate, bits and channels as an IM2 or IX2 header gives them.
void SetAudioFields(DetailsFields& fields, const CIm2& image);

}  // namespace tvx

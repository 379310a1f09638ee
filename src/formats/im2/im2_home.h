#pragma once

#include "formats/format_home.h"
#include "formats/im2/im2.h"

namespace tvx {

// IM2 images: a header record and the blocks it states. Reached through HomeOf.
const FormatHome& Im2Home();

// What an IM2 image state holds once its file is open: the reader's, or a pass's.
OpenedImage OpenedIm2(const CIm2& image);

}  // namespace tvx

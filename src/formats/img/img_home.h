#pragma once

#include "formats/format_home.h"
#include "formats/img/img.h"

namespace tvx {

// IMG images: records of their own kind, no header record, no dates. Reached through HomeOf.
const FormatHome& ImgHome();

// What an IMG image state holds once its file is open: the reader's, or a pass's. Neither
// header nor length is judged, so both read as sound.
OpenedImage OpenedImg(const CImg& image);

}  // namespace tvx

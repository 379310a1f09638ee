#pragma once

#include "export/details.h"
#include "formats/img/img.h"

namespace tvx {

// IMG images carry no dates: the text is the duration alone.
DetailsFields ImgDetails(const CImg& image);

}  // namespace tvx

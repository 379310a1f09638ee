#pragma once

#include "export/details.h"
#include "formats/ix2/ix2.h"

#include <string>

namespace tvx {

// The time and length text of an IX2 file: the recording, then the split this file holds;
// a chain's start is shown beside the outer image's as the slave.
std::string Ix2DetailsText(const CIx2& image);

DetailsFields Ix2Details(const CIx2& image);

}  // namespace tvx

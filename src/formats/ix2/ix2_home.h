#pragma once

#include "formats/format_home.h"
#include "formats/ix2/ix2.h"

namespace tvx {

// IX2 files: the header region, the split of the recording a file holds, plain or as a
// chain's inner stream. Reached through HomeOf.
const FormatHome& Ix2Home();

// What an IX2 image state holds once its file is open (for a chain, the inner stream's state
// with the outer image's identity as its snapshot): the reader's, or a pass's. An IX2 reader
// that reads its file by the IM2 rules holds only IM2 values: OpenedIm2 describes it.
OpenedImage OpenedIx2(const CIx2& image);

}  // namespace tvx

#pragma once

#include "analysis/authenticate.h"

#include <cstddef>
#include <string>

namespace tvx {

// Scans an IM2 image as the reader's worker does (header as -1, then every whole record from
// 0) and counts every verdict through `tally`, which the caller has not allocated yet.
// Cancel is polled after each piece. Fails only when the file cannot be opened or read.
Result<AuthReport> AuthenticateIm2(const std::string& path, Hooks& hooks, AuthTally& tally,
                                   std::size_t pieceRecords = kScanPieceRecords);

}  // namespace tvx

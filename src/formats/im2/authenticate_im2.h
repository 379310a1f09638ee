#pragma once

#include "analysis/authenticate.h"
#include "formats/im2/im2.h"

#include <cstddef>
#include <string>

namespace tvx {

// Scans an IM2 image as the reader's worker does (header as -1, then every whole record from
// 0) and counts every verdict through `tally`, which the caller has not allocated yet.
// Cancel is polled after each piece. Fails only when the file cannot be opened or read.
Result<AuthReport> AuthenticateIm2(const std::string& path, Hooks& hooks, AuthTally& tally,
                                   std::size_t pieceRecords = kScanPieceRecords);

// Counts one block's verdict into the tally and lists it among the irregular runs with its
// place in the recording; IM2 and IX2 passes judge blocks alike.
void CountBlockVerdict(const CIm2& image, std::int32_t index, BlockStatus status,
                       AuthTally& tally, AuthReport& report);

// Bytes an IM2 file holds beyond its header and stated records, or a cut record at its end.
std::uint64_t Im2ExcessBytes(std::uint64_t fileLength, std::uint32_t statedBlocks);

}  // namespace tvx

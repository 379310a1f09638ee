#pragma once

#include "analysis/authenticate.h"
#include "readers/ix2.h"

namespace tvx {

// Scans an IX2 image as the reader's worker does: the three index blocks as -3, -2 and -1,
// then every audio block of the split from 0 (a chain's inner blocks through its stream), and
// counts every verdict through `tally`, which the caller has not allocated yet. A name ending
// in IM2 is scanned by the IM2 rules, as the reader opens it. Cancel is polled after each piece.
Result<AuthReport> AuthenticateIx2(const std::string& path, Hooks& hooks, AuthTally& tally,
                                   std::size_t pieceRecords = kScanPieceRecords);

// The tally's room for an IX2 image: the split's blocks as the peaks pass counts them.
std::uint32_t Ix2StripBlocks(const CIx2& reader);

}  // namespace tvx

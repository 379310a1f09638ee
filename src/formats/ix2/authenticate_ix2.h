#pragma once

#include "analysis/authenticate.h"
#include "formats/ix2/ix2.h"
#include "formats/ix2/ix2_source.h"

namespace tvx {

// Scans an IX2 image as the reader's worker does: the three index blocks as -3, -2 and -1,
// then every audio block of the split from 0 (a chain's inner blocks through its stream), and
// counts every verdict through `tally`, which the caller has not allocated yet. The bytes are
// taken as IX2 whatever the name: the caller chose this scan by FormatOf's rules. Cancel is
// polled after each piece.
Result<AuthReport> AuthenticateIx2(const std::string& path, Hooks& hooks, AuthTally& tally,
                                   std::size_t pieceRecords = kScanPieceRecords);

// Opens an IX2 image as the reader does, but refuses one too short to hold its three index
// blocks: it states nothing to judge, and its blank fields would read as a date in 1899.
std::optional<Error> OpenIx2Image(Ix2Source& source, const std::string& path);

// The tally's room for an IX2 image: the split's blocks as the peaks pass counts them.
std::uint32_t Ix2StripBlocks(const CIx2& reader);

// Bytes an IX2 file holds beyond its header region and the split's blocks; a chain stores them
// in as few outer blocks as they fit, the last one padded.
std::uint64_t Ix2ExcessBytes(std::uint64_t fileLength, std::uint64_t splitBlocks, bool chain);

}  // namespace tvx

#pragma once

#include "analysis/authenticate.h"
#include "formats/img/img.h"

namespace tvx {

// Scans an IMG image as the reader's worker does: every record below the erased tail from
// index 0 (record 1 too: IMG has no header record), checked without decoding, each verdict
// counted through `tally`, which the caller has not allocated yet. The report's unit is shown
// as the window shows it ("QL-%04X"); header and length are not judged, so both read as sound.
// The voice-image checksum chain is followed as the conversion follows it, apart from the
// window's counts; a record cut short at the end is excess bytes.
Result<AuthReport> AuthenticateImg(const std::string& path, Hooks& hooks, AuthTally& tally,
                                   std::size_t pieceRecords = kScanPieceRecords);

// An IMG image ends in whole records (its erased tail included).
std::uint64_t ImgExcessBytes(std::uint64_t fileLength);

}  // namespace tvx

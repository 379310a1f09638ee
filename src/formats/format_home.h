#pragma once

#include "analysis/authenticate.h"
#include "analysis/peaks.h"
#include "core/error.h"
#include "core/hooks.h"
#include "export/convert.h"
#include "export/details.h"
#include "formats/opened_image.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tvx {

// What the verdict on a conversion needs beside the blocks the pass converted: the source's
// structure and length, judged as verify judges them.
struct SourceShape {
    bool structureSound = false;
    bool exactLength = false;
    std::uint64_t blocks = 0;   // the blocks the pass must convert
};

// Everything the shells need of one format, behind one interface: each format has one home
// and HomeOf is the only way to it, so no shell asks which format it holds. Every operation
// opens the image read-only for itself and reports a file that will not open or read.
class FormatHome {
public:
    virtual ~FormatHome() = default;

    // What the image is, read as its reader reads it at an open.
    virtual Result<OpenedImage> Open(const std::string& path) const = 0;
    // The authentication scan, every verdict counted through the caller's unallocated tally.
    virtual Result<AuthReport> Authenticate(const std::string& path, Hooks& hooks,
                                            AuthTally& tally,
                                            std::size_t pieceRecords = kScanPieceRecords) const = 0;
    // WAV segments and their summaries.
    virtual ConvertResult Convert(const ConvertRequest& request, Hooks& hooks) const = 0;
    // What the Details dialog shows.
    virtual Result<DetailsFields> Details(const std::string& path) const = 0;
    // The decoded blocks, one at a time, for the peaks pass.
    virtual OpenedBlocks OpenBlocks(const std::string& path) const = 0;
    // The structure and length a conversion's verdict rests on.
    virtual Result<SourceShape> Shape(const std::string& path) const = 0;
};

}  // namespace tvx

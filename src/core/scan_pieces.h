#pragma once

#include "core/file64.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tvx {

// A worker's scan judges the file in pieces of 16 records (8,448 bytes): a stop is noticed
// between pieces, and what follows a stop depends on that size. The file is read half a
// megabyte at a time all the same, because the calls, not the checks, are what small reads
// cost; a read of that size still sits in the L2 cache when it is judged, where a megabyte
// would not. Settle puts the file back where a reader of single pieces would stand.
class ScanPieces {
public:
    static constexpr std::size_t kPieceRecords = 16;
    static constexpr std::size_t kReadPieces = 64;

    explicit ScanPieces(CFile64& file);

    // The next piece from the file's position, up to 8,448 bytes; empty at the end.
    std::span<const std::uint8_t> Next();
    // The file just past the last piece handed out, the rest of the read given back.
    void Settle();

private:
    CFile64& m_file;
    std::vector<std::uint8_t> m_read;
    std::size_t m_got = 0;   // bytes of the last read
    std::size_t m_at = 0;    // of them handed out as pieces
};

}  // namespace tvx

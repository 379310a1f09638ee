#pragma once

#include "core/block_record.h"
#include "core/file64.h"

#include <cstdint>
#include <vector>

namespace tvx {

// Hands out a file's records one by one from large reads, so a pass that reads a record at a
// time makes one system call per piece. What each call gives is what one read of 528 bytes
// at that point would give: a whole record, the cut tail of the file, or nothing.
class RecordReader {
public:
    explicit RecordReader(CFile64& file, std::size_t pieceRecords = 256);

    // Up to 528 bytes into out; fewer only at the end of the file. Throws CFileException
    // when a read fails.
    std::uint32_t Next(std::uint8_t* out);

private:
    bool Refill();

    CFile64& m_file;
    std::vector<std::uint8_t> m_piece;
    std::size_t m_at = 0;
    std::size_t m_size = 0;
    bool m_atEnd = false;
};

}  // namespace tvx

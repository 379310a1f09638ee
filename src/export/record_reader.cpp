#include "export/record_reader.h"

#include <algorithm>
#include <cstring>

namespace tvx {

RecordReader::RecordReader(CFile64& file, std::size_t pieceRecords)
    : m_file(file), m_piece(std::max<std::size_t>(pieceRecords, 1) * kRecordSize) {}

bool RecordReader::Refill() {
    // Keep the unread bytes: a record may straddle two pieces.
    const std::size_t kept = m_size - m_at;
    std::memmove(m_piece.data(), m_piece.data() + m_at, kept);
    m_at = 0;
    m_size = kept;
    while (m_size < m_piece.size()) {
        const std::uint32_t n = m_file.Read(m_piece.data() + m_size,
                                            static_cast<std::uint32_t>(m_piece.size() - m_size));
        if (n == 0) {
            m_atEnd = true;
            break;
        }
        m_size += n;
    }
    return m_size > 0;
}

std::uint32_t RecordReader::Next(std::uint8_t* out) {
    if (m_size - m_at < kRecordSize && !m_atEnd)
        Refill();
    const std::size_t n = std::min(kRecordSize, m_size - m_at);
    std::memcpy(out, m_piece.data() + m_at, n);
    m_at += n;
    return static_cast<std::uint32_t>(n);
}

}  // namespace tvx

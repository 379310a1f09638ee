#include "core/scan_pieces.h"

#include "core/block_record.h"

#include <algorithm>

namespace tvx {

namespace {

constexpr std::size_t kPieceBytes = ScanPieces::kPieceRecords * kRecordSize;

}  // namespace

ScanPieces::ScanPieces(CFile64& file)
    : m_file(file), m_read(kReadPieces * kPieceBytes) {}

std::span<const std::uint8_t> ScanPieces::Next() {
    if (m_at == m_got) {
        // Whole reads, so that every piece starts where a piece-sized read would start.
        m_got = m_file.ReadFull(m_read.data(), static_cast<std::uint32_t>(m_read.size()));
        m_at = 0;
    }
    const std::size_t size = std::min(kPieceBytes, m_got - m_at);
    const std::span<const std::uint8_t> piece(m_read.data() + m_at, size);
    m_at += size;
    return piece;
}

void ScanPieces::Settle() {
    const std::uint64_t unused = m_got - m_at;
    if (unused != 0)
        m_file.SeekTo(m_file.GetPosition() - unused);
    m_got = 0;
    m_at = 0;
}

}  // namespace tvx

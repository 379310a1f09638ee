#include "formats/ix2/chain_stream.h"

#include "core/key_stream.h"

#include <algorithm>

namespace tvx {

namespace {

// Enough to keep the caller busy while a read is on its way, few enough to stay in cache.
constexpr std::size_t kPiecesAhead = 4;

}  // namespace

ChainStream::ChainStream(CFile64& file, const CIx2& outer, std::size_t pieceRecords)
    : m_file(file), m_outer(outer), m_read(std::max<std::size_t>(pieceRecords, 1) * kRecordSize) {
    m_thread = std::thread([this] { Run(); });
}

ChainStream::~ChainStream() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

const ChainStream::Piece& ChainStream::Next() {
    std::unique_lock lock(m_mutex);
    m_spare.push_back(std::move(m_current.buffer));
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_failure; });
    if (m_ready.empty())
        std::rethrow_exception(m_failure);
    m_current = std::move(m_ready.front());
    m_ready.pop_front();
    m_changed.notify_all();
    return m_current;
}

void ChainStream::Run() {
    for (;;) {
        Piece piece;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stop || m_ready.size() < kPiecesAhead; });
            if (m_stop)
                return;
            if (!m_spare.empty()) {
                piece.buffer = std::move(m_spare.back());
                m_spare.pop_back();
            }
        }
        std::exception_ptr failure;
        try {
            ReadPiece(piece);
        } catch (...) {
            failure = std::current_exception();
        }
        const bool last = failure || piece.end;
        std::lock_guard lock(m_mutex);
        if (failure)
            m_failure = failure;
        else
            m_ready.push_back(std::move(piece));
        m_changed.notify_all();
        if (last)
            return;
    }
}

void ChainStream::ReadPiece(Piece& piece) {
    const std::uint32_t got = m_file.Read(m_read.data(), static_cast<std::uint32_t>(m_read.size()));
    piece.end = got == 0;
    piece.size = 0;
    const std::size_t records = got / kRecordSize;
    if (piece.buffer.size() < records * kMaxDecodedBytes)
        piece.buffer.resize(records * kMaxDecodedBytes);
    for (std::size_t r = 0; r < records; ++r) {
        const RecordView record(m_read.data() + r * kRecordSize, kRecordSize);
        std::uint8_t* out = piece.buffer.data() + piece.size;
        if (m_outer.IsPlainPcm(record)) {
            // What Decode would write, without the verdict no one reads.
            DecipherPayload(record.data(), out, KeyOf(record));
            piece.size += kPayloadSize;
        } else {
            std::copy(record.begin(), record.end(), m_outer.m_block.begin());
            std::uint16_t count = 0;
            m_outer.Decode(std::span(out, kMaxDecodedBytes), &count);
            piece.size += count;
        }
        m_outer.NextBlock();
    }
}

}  // namespace tvx

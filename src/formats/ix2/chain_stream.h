#pragma once

#include "core/file64.h"
#include "formats/ix2/ix2.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace tvx {

// The inner stream of a chain file for a scan, deciphered on a thread of its own a few pieces
// ahead of the caller, who judges the inner blocks of the pieces before: the two halves of
// the work then run on both cores. Each piece is read as the one-thread scan reads it (one
// Read of `pieceRecords` outer records) and every whole outer record in it is decoded by a
// copy of the outer image, so the pieces and the bytes are the ones that scan sees.
class ChainStream {
public:
    struct Piece {
        // The decoded payloads of the piece's outer records: the first `size` bytes. The
        // buffer keeps its length from piece to piece, so it is filled without being cleared.
        std::vector<std::uint8_t> buffer;
        std::size_t size = 0;
        bool end = false;   // the read found the end of the file

        std::span<const std::uint8_t> Stream() const { return {buffer.data(), size}; }
    };

    ChainStream(CFile64& file, const CIx2& outer, std::size_t pieceRecords);
    ~ChainStream();   // stops the thread and waits for it
    ChainStream(const ChainStream&) = delete;
    ChainStream& operator=(const ChainStream&) = delete;

    // The next piece, in file order, valid until the next call; throws in its place the
    // failure of the read that would have given it.
    const Piece& Next();

private:
    void Run();
    void ReadPiece(Piece& piece);

    CFile64& m_file;
    CIx2 m_outer;
    std::vector<std::uint8_t> m_read;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Piece> m_ready;
    std::vector<std::vector<std::uint8_t>> m_spare;   // buffers given back, for the next pieces
    Piece m_current;                                  // the caller's
    std::exception_ptr m_failure;   // after the pieces in m_ready
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace tvx

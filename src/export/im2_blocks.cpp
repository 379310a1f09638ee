#include "export/im2_blocks.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace tvx {
namespace {

// Reads until count bytes came or the file ended, so a short result always means the end.
std::uint32_t ReadFull(CFile64& file, std::uint8_t* buffer, std::uint32_t count) {
    std::uint32_t got = 0;
    while (got < count) {
        const std::uint32_t n = file.Read(buffer + got, count - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

BlockRead EndOf(const CFileException& failure) {
    BlockRead read;
    read.readError = static_cast<std::uint32_t>(failure.m_lOsError);
    read.error = failure.ToError();
    return read;
}

BlockRead BlockOf(const DecodedBlock& block) {
    BlockRead read;
    read.kind = BlockRead::Kind::Block;
    read.block = &block;
    read.readError = 0;
    return read;
}

BlockRead PartialRead() {
    BlockRead read;
    read.kind = BlockRead::Kind::Partial;
    read.readError = 0;
    return read;
}

void DecodeInto(CIm2& image, std::uint32_t blockIndex, const std::uint8_t* record,
                DecodedBlock& out) {
    std::memcpy(image.m_block.data(), record, kRecordSize);
    image.m_nBlock = blockIndex;
    out.status = image.Decode(out.bytes, &out.count);
    out.blockIndex = BlockIndexOf(image.m_block);
}

class SequentialSource final : public Im2BlockSource {
public:
    SequentialSource(CFile64& file, const CIm2& image) : m_file(file), m_image(image) {}

    BlockRead Next() override {
        std::uint32_t got = 0;
        try {
            got = ReadFull(m_file, m_record.data(), kRecordSize);
        } catch (const CFileException& failure) {
            return EndOf(failure);
        }
        if (got == 0)
            return {};
        if (got != kRecordSize)
            return PartialRead();
        DecodeInto(m_image, m_image.m_nBlock, m_record.data(), m_block);
        m_image.NextBlock();
        return BlockOf(m_block);
    }

private:
    CFile64& m_file;
    CIm2 m_image;
    Record m_record{};
    DecodedBlock m_block;
};

// The worker fills chunks of decoded blocks in a ring; the caller's thread empties them in
// order. The lock guards only the ring's counts, never a read or a decode.
class ReadAheadSource final : public Im2BlockSource {
public:
    ReadAheadSource(CFile64& file, const CIm2& image, std::uint64_t blocks)
        : m_file(file), m_image(image), m_blocks(blocks), m_chunks(kChunks) {
        for (Chunk& chunk : m_chunks)
            chunk.blocks.resize(kChunkBlocks);
        m_worker = std::thread([this] { WorkerMain(); });
    }

    ~ReadAheadSource() override {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_freed.notify_all();
        m_worker.join();
    }

    BlockRead Next() override {
        for (;;) {
            if (m_current) {
                if (m_at < m_current->count)
                    return BlockOf(m_current->blocks[m_at++]);
                if (m_current->partial && !m_partialGiven) {
                    m_partialGiven = true;
                    return PartialRead();
                }
                if (m_current->ended)
                    return m_current->end;
                Release();
            }
            std::unique_lock lock(m_mutex);
            m_filled.wait(lock, [this] { return m_ready > 0 || m_done; });
            if (m_ready == 0)
                return {};   // the worker had nothing more: read as the end of the file
            m_current = &m_chunks[m_head];
            m_at = 0;
            m_partialGiven = false;
        }
    }

private:
    static constexpr std::size_t kChunkBlocks = 128;
    static constexpr std::size_t kChunks = 8;

    struct Chunk {
        std::vector<DecodedBlock> blocks;
        std::size_t count = 0;
        bool partial = false;   // a cut record followed the blocks
        bool ended = false;     // and then the end, kept in `end`
        BlockRead end;
    };

    void Release() {
        {
            std::lock_guard lock(m_mutex);
            m_head = (m_head + 1) % kChunks;
            --m_ready;
        }
        m_freed.notify_one();
        m_current = nullptr;
    }

    void WorkerMain() {
        // Nothing may leave the thread: any failure reads as the end of the file.
        try {
            Produce();
        } catch (...) {
        }
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_filled.notify_one();
    }

    void Produce() {
        std::vector<std::uint8_t> piece(kChunkBlocks * kRecordSize);
        std::uint64_t produced = 0;
        bool recordByRecord = false;   // after a failed piece, find the failing record
        while (produced < m_blocks) {
            Chunk* chunk = nullptr;
            {
                std::unique_lock lock(m_mutex);
                m_freed.wait(lock, [this] { return m_stop || m_ready < kChunks; });
                if (m_stop)
                    return;
                chunk = &m_chunks[m_tail];
            }
            chunk->count = 0;
            chunk->partial = false;
            chunk->ended = false;
            const std::uint64_t wantBlocks =
                recordByRecord ? 1 : std::min<std::uint64_t>(kChunkBlocks, m_blocks - produced);
            const auto want = static_cast<std::uint32_t>(wantBlocks * kRecordSize);
            std::uint32_t got = 0;
            try {
                got = ReadFull(m_file, piece.data(), want);
            } catch (const CFileException& failure) {
                chunk->ended = true;
                chunk->end = EndOf(failure);
            }
            if (chunk->ended && !recordByRecord) {
                recordByRecord = true;
                try {
                    m_file.SeekTo((produced + 1) * kRecordSize);
                    continue;
                } catch (const CFileException& failure) {
                    chunk->end = EndOf(failure);
                }
            }
            const std::size_t whole = got / kRecordSize;
            for (std::size_t i = 0; i < whole; ++i)
                DecodeInto(m_image, static_cast<std::uint32_t>(produced + i),
                           piece.data() + i * kRecordSize, chunk->blocks[i]);
            chunk->count = whole;
            produced += whole;
            if (!chunk->ended && got < want) {
                // A short read is the end: a cut record first, then a read that finds nothing.
                chunk->partial = got % kRecordSize != 0;
                chunk->ended = true;
                chunk->end = BlockRead{};
            }
            {
                std::lock_guard lock(m_mutex);
                m_tail = (m_tail + 1) % kChunks;
                ++m_ready;
            }
            m_filled.notify_one();
            if (chunk->ended)
                return;
        }
    }

    CFile64& m_file;
    CIm2 m_image;
    const std::uint64_t m_blocks;
    std::vector<Chunk> m_chunks;

    std::mutex m_mutex;
    std::condition_variable m_filled;
    std::condition_variable m_freed;
    std::size_t m_head = 0;    // next chunk to empty
    std::size_t m_tail = 0;    // next chunk to fill
    std::size_t m_ready = 0;   // filled and not yet released
    bool m_stop = false;
    bool m_done = false;

    Chunk* m_current = nullptr;   // caller's side only
    std::size_t m_at = 0;
    bool m_partialGiven = false;

    std::thread m_worker;
};

}  // namespace

std::unique_ptr<Im2BlockSource> MakeSequentialSource(CFile64& file, const CIm2& image) {
    return std::make_unique<SequentialSource>(file, image);
}

std::unique_ptr<Im2BlockSource> MakeReadAheadSource(CFile64& file, const CIm2& image,
                                                    std::uint64_t blocks) {
    try {
        return std::make_unique<ReadAheadSource>(file, image, blocks);
    } catch (const std::system_error&) {
        return MakeSequentialSource(file, image);
    }
}

}  // namespace tvx

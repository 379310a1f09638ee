#include "formats/im2/im2_blocks.h"

#include "formats/im2/decoder_lanes.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tvx {
namespace {

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

// Puts a record where the image judges it, at the block order the loop expects.
void Hold(CIm2& image, std::uint32_t blockIndex, const std::uint8_t* record, DecodedBlock& out) {
    std::memcpy(image.m_block.data(), record, kRecordSize);
    image.m_nBlock = blockIndex;
    out.blockIndex = BlockIndexOf(image.m_block);
}

void DecodeInto(CIm2& image, std::uint32_t blockIndex, const std::uint8_t* record,
                DecodedBlock& out) {
    Hold(image, blockIndex, record, out);
    out.status = image.Decode(out.bytes, &out.count);
}

// Eight records side by side where all eight carry one 4-bit code the processor decodes in
// lanes; the same bytes, statuses and image state as DecodeInto one record at a time.
bool DecodeGroup(CIm2& image, std::uint32_t first, const std::uint8_t* records,
                 DecodedBlock* out) {
    const int code = image.LaneCode(RecordView(records, kRecordSize));
    if (code == 0)
        return false;
    for (std::size_t j = 1; j < kDecodeLanes; ++j)
        if (image.LaneCode(RecordView(records + j * kRecordSize, kRecordSize)) != code)
            return false;
    std::array<std::array<std::uint8_t, kPayloadSize>, kDecodeLanes> plains;
    std::array<const std::uint8_t*, kDecodeLanes> payloads;
    std::array<std::uint8_t*, kDecodeLanes> outs;
    for (std::size_t j = 0; j < kDecodeLanes; ++j) {
        Hold(image, static_cast<std::uint32_t>(first + j), records + j * kRecordSize, out[j]);
        out[j].status = image.Decipher(plains[j].data());
        payloads[j] = plains[j].data();
        outs[j] = out[j].bytes.data();
    }
    const std::uint16_t count = DecodeCode4Lanes(payloads, code, image.GetChannels() == 2 ? 2 : 1, outs);
    for (std::size_t j = 0; j < kDecodeLanes; ++j)
        out[j].count = count;
    return true;
}

}  // namespace

void DecodeRun(CIm2& image, std::uint32_t first, const std::uint8_t* records, std::size_t count,
               DecodedBlock* out) {
    const bool lanes = DecodesInLanes();
    for (std::size_t i = 0; i < count;) {
        const std::uint8_t* at = records + i * kRecordSize;
        const auto index = static_cast<std::uint32_t>(first + i);
        if (lanes && i + kDecodeLanes <= count && DecodeGroup(image, index, at, out + i)) {
            i += kDecodeLanes;
        } else {
            DecodeInto(image, index, at, out[i]);
            ++i;
        }
    }
}

namespace {

class SequentialSource final : public Im2BlockSource {
public:
    SequentialSource(CFile64& file, const CIm2& image) : m_file(file), m_image(image) {}

    BlockRead Next() override {
        std::uint32_t got = 0;
        try {
            got = m_file.ReadFull(m_record.data(), kRecordSize);
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

// Records are read and decoded in chunks of kChunkBlocks, chunk i holding records from
// i x kChunkBlocks, into a ring that the caller's thread empties in order. The worker claims
// chunks one after the other; the caller, rather than wait for the chunk it needs, claims
// the next free one and decodes it itself. The lock guards only the claims and the flags,
// never a read or a decode.
class ReadAheadSource final : public Im2BlockSource {
public:
    ReadAheadSource(CFile64& file, const CIm2& image, std::uint64_t blocks)
        : m_workerReader(file, image), m_blocks(blocks),
          m_chunkCount((blocks + kChunkBlocks - 1) / kChunkBlocks), m_chunks(kChunks) {
        // A short image fills fewer chunks and fewer blocks in each; the others stay empty.
        const std::uint64_t used = std::min(kChunks, m_chunkCount);
        for (std::uint64_t i = 0; i < used; ++i)
            m_chunks[i].blocks.resize(std::min(kChunkBlocks, blocks));
        // The caller's share goes through a handle of its own; without one it only waits.
        if (m_callerFile.Open(file.GetFileName(), kGenericRead, kShareRead, kOpenExisting))
            m_callerReader.emplace(m_callerFile, image);
        m_worker = std::thread([this] { WorkerMain(); });
    }

    ~ReadAheadSource() override {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
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
            if (!TakeHead())
                return {};   // nothing more will come: read as the end of the file
        }
    }

private:
    static constexpr std::uint64_t kChunkBlocks = 128;
    static constexpr std::uint64_t kChunks = 8;

    struct Chunk {
        std::vector<DecodedBlock> blocks;
        std::size_t count = 0;
        bool ready = false;     // filled and not yet emptied
        bool partial = false;   // a cut record followed the blocks
        bool ended = false;     // and then the end, kept in `end`
        BlockRead end;
    };

    // One file handle and one image state, used by one thread only.
    struct Reader {
        Reader(CFile64& f, const CIm2& i) : file(f), image(i), piece(kChunkBlocks * kRecordSize) {}
        CFile64& file;
        CIm2 image;
        std::vector<std::uint8_t> piece;
    };

    // Gives exactly what one read of a record at a time would have given for this chunk.
    void Fill(Reader& reader, std::uint64_t index, Chunk& chunk) noexcept {
        chunk.count = 0;
        chunk.partial = false;
        chunk.ended = false;
        const std::uint64_t first = index * kChunkBlocks;
        const auto want = static_cast<std::uint32_t>(std::min(kChunkBlocks, m_blocks - first));
        try {
            if (FillFrom(reader, first, want, chunk))
                return;
            // A failed piece is read again record by record to find the record that fails.
            for (std::uint32_t r = 0; r < want && !chunk.ended; ++r)
                if (!FillFrom(reader, first + r, 1, chunk))
                    return;
        } catch (...) {
            chunk.ended = true;
            chunk.end = EndOf(CFileException(Cause::Io, EIO, reader.file.GetFileName()));
        }
    }

    // Reads `records` records from `first` and decodes them after the chunk's blocks so far
    // (a whole piece starts the chunk). False when the read failed; the failure of a single
    // record is the chunk's end.
    bool FillFrom(Reader& reader, std::uint64_t first, std::uint32_t records, Chunk& chunk) {
        const std::uint32_t want = records * static_cast<std::uint32_t>(kRecordSize);
        std::uint32_t got = 0;
        try {
            reader.file.SeekTo((first + 1) * kRecordSize);
            got = reader.file.ReadFull(reader.piece.data(), want);
        } catch (const CFileException& failure) {
            if (records == 1) {
                chunk.ended = true;
                chunk.end = EndOf(failure);
            }
            return false;
        }
        const std::size_t whole = got / kRecordSize;
        const std::size_t at = records == 1 ? chunk.count : 0;
        DecodeRun(reader.image, static_cast<std::uint32_t>(first), reader.piece.data(), whole,
                  chunk.blocks.data() + at);
        chunk.count = at + whole;
        if (got < want) {
            // A short read is the end: a cut record first, then a read that finds nothing.
            chunk.partial = got % kRecordSize != 0;
            chunk.ended = true;
            chunk.end = BlockRead{};
        }
        return true;
    }

    bool CanClaim() const {
        return !m_noMore && m_nextClaim < m_chunkCount && m_nextClaim < m_head + kChunks;
    }

    // Claims, fills and publishes the next chunk; called with the lock held.
    void ClaimAndFill(Reader& reader, std::unique_lock<std::mutex>& lock) {
        const std::uint64_t index = m_nextClaim++;
        Chunk& chunk = m_chunks[index % kChunks];
        lock.unlock();
        Fill(reader, index, chunk);
        lock.lock();
        chunk.ready = true;
        if (chunk.ended)
            m_noMore = true;   // nothing after an end is ever asked for
        m_changed.notify_all();
    }

    bool TakeHead() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            Chunk& head = m_chunks[m_head % kChunks];
            if (head.ready) {
                m_current = &head;
                m_at = 0;
                m_partialGiven = false;
                return true;
            }
            if (m_head >= m_nextClaim && !CanClaim())
                return false;
            if (m_callerReader && CanClaim())
                ClaimAndFill(*m_callerReader, lock);
            else
                m_changed.wait(lock);
        }
    }

    void Release() {
        {
            std::lock_guard lock(m_mutex);
            m_current->ready = false;
            ++m_head;
        }
        m_changed.notify_all();
        m_current = nullptr;
    }

    void WorkerMain() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] {
                return m_stop || CanClaim() || m_noMore || m_nextClaim >= m_chunkCount;
            });
            if (m_stop || !CanClaim())
                return;
            ClaimAndFill(m_workerReader, lock);
        }
    }

    Reader m_workerReader;
    CFile64 m_callerFile;
    std::optional<Reader> m_callerReader;
    const std::uint64_t m_blocks;
    const std::uint64_t m_chunkCount;
    std::vector<Chunk> m_chunks;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_head = 0;        // next chunk to empty
    std::uint64_t m_nextClaim = 0;   // next chunk to fill
    bool m_noMore = false;           // a filled chunk ended the records
    bool m_stop = false;

    Chunk* m_current = nullptr;      // caller's side only
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

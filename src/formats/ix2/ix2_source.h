#pragma once

#include "audio/ring_buffer.h"
#include "core/error.h"
#include "core/file64.h"
#include "formats/ix2/ix2.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tvx {

// An IX2 file opened for a pass as the reader opens it: the header region parsed by the outer
// image and, for a chain, the inner stream's reference values, split and snapshot taken from
// its first inner block. Reader() is the image whose blocks are the audio.
class Ix2Source {
public:
    // Opens read-only; fails only when the file cannot be opened or read. A short header
    // region is no failure: it leaves the split unknown and the structure judged bad.
    std::optional<Error> Open(const std::string& path);
    // The header region read and parsed again, as at opening, and the file at the first
    // audio block. Throws CFileException.
    void Reload();

    CIx2& Reader() { return m_bChain ? m_inner : m_outer; }
    const CIx2& Reader() const { return m_bChain ? m_inner : m_outer; }
    CIx2& Outer() { return m_outer; }
    const CIx2& Outer() const { return m_outer; }
    CFile64& File() { return m_file; }
    CRingBuffer& Ring() { return m_ring; }
    bool IsChain() const { return m_bChain; }
    // The index blocks or the first block are irregular: the structure question's flag.
    bool IsHeaderBad() const { return m_bHeaderBad; }
    std::size_t RegionBytes() const { return m_nRegionBytes; }

    // Positions on audio block k of the split (0 is the file's first) with an emptied ring;
    // the outer image then expects the block number of the outer block it lands on.
    void SeekBlock(std::uint64_t k);
    // The next audio block into out; false at the end of the file. A chain's inner block
    // needs 528 bytes of stream: an outer block read short ends it.
    bool NextBlock(Record& out);
    // A chain's inner block k, found from its number: positioned on its outer block with a
    // cleared ring, unless the stream already stands just before it after NextBlock. False
    // when an outer block it needs cannot be read whole.
    bool PlayBlock(std::uint64_t k, Record& out);

    // A chain's outer block: deciphered by the outer image, its payload appended to the ring.
    // The outer image's m_block then holds it, unless keep is false: a scan keeps only the
    // last of a piece, as copying each in costs more than it does.
    void FeedOuter(RecordView outer, bool keep = true);
    // The same for the record the outer image already holds.
    void FeedOuterBlock();
    // 528 bytes of stream as an inner block; false while the ring holds fewer.
    bool TakeInner(Record& out);

private:
    void Parse();
    void SetUpChain();
    void Feed(RecordView outer);

    CFile64 m_file;
    CIx2 m_outer;
    CIx2 m_inner;
    CRingBuffer m_ring;
    bool m_bChain = false;
    bool m_bHeaderBad = true;
    std::size_t m_nRegionBytes = 0;
    std::uint32_t m_nSkip = 0;   // stream bytes to drop after the next outer block
    // Where the stream stands after SeekBlock and NextBlock alone: the inner block the next
    // NextBlock gives and the file position it reads from.
    bool m_bStreamKnown = false;
    std::uint64_t m_nStreamNext = 0;
    std::uint64_t m_nStreamAt = 0;
};

// The scan's judging of a piece of an IX2 file's audio blocks, for the worker and the pass
// alike: a plain file's whole records are the blocks; a chain deciphers each outer block once
// and judges the inner blocks it completes. Each goes through `report(index, CheckBlock)`,
// indexed from the split's first block, in reader.m_block, the counter moved on past it.
// A chain's outer image is left holding the last outer block, as if each had been copied in.
template <typename Report>
void ScanIx2Piece(Ix2Source& source, CIx2& reader, std::span<const std::uint8_t> piece,
                  Report&& report) {
    const auto judge = [&] {
        const auto first = static_cast<std::uint32_t>(reader.m_nSplitFirst);
        report(static_cast<std::int32_t>(reader.m_nBlock - first), reader.CheckBlock());
        reader.NextBlock();
    };
    for (std::size_t at = 0; at + kRecordSize <= piece.size(); at += kRecordSize) {
        const RecordView record(piece.data() + at, kRecordSize);
        if (!source.IsChain()) {
            std::copy(record.begin(), record.end(), reader.m_block.begin());
            judge();
            continue;
        }
        source.FeedOuter(record, at + 2 * kRecordSize > piece.size());
        while (source.TakeInner(reader.m_block))
            judge();
    }
}

}  // namespace tvx

// The IX2 header region parse and the index entry search on hostile bytes: a region of any
// length up to 2,240 bytes, the search of a table for the file and unit the input names, and
// a chain's split read from the first inner block against that region.

#include "core/bytes.h"
#include "formats/ix2/ix2.h"
#include "formats/ix2/ix2_details.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <array>
#include <cstring>

using namespace tvx;

namespace {

bool EntryNames(std::span<const std::uint8_t> entry, std::uint16_t file, std::uint16_t unit) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < 14; ++i)
        sum = static_cast<std::uint8_t>(sum + entry[i]);
    return entry[14] == sum && LoadLe16(entry, 0) == file && LoadLe16(entry, 2) == unit;
}

void SearchTable(std::span<const std::uint8_t, kPayloadSize> table, std::uint16_t file,
                 std::uint16_t unit) {
    const std::size_t at = FindIndexEntry(table, file, unit);
    TVX_FUZZ_CHECK(at == kNoIndexEntry || (at % kIndexEntrySize == 0 && at < kPayloadSize));
    // The first entry that names the file, or none when no entry does.
    const std::size_t end = at == kNoIndexEntry ? kPayloadSize : at;
    for (std::size_t e = 0; e < end; e += kIndexEntrySize)
        TVX_FUZZ_CHECK(!EntryNames(table.subspan(e, kIndexEntrySize), file, unit));
    if (at != kNoIndexEntry)
        TVX_FUZZ_CHECK(EntryNames(table.subspan(at, kIndexEntrySize), file, unit));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t regionBytes = std::min(size, kIx2HeaderRegion);
    CIx2 outer;
    std::memcpy(outer.m_indexRegion.data(), data, regionBytes);
    outer.ParseIndexRegion(regionBytes);
    TVX_FUZZ_CHECK(outer.m_bIndexChecked == (regionBytes >= 1712));
    (void)Ix2Details(outer);

    std::array<std::uint8_t, kPayloadSize> table{};
    std::memcpy(table.data(), data, std::min(size, kPayloadSize));
    const std::uint16_t file = size >= 2 ? LoadLe16({data, size}, 0) : 0;
    const std::uint16_t unit = size >= 4 ? LoadLe16({data, size}, 2) : 0;
    SearchTable(table, file, unit);

    // A chain's inner reader: the bytes after the region are its first inner block.
    CIx2 inner;
    const std::size_t firstBytes = size > regionBytes ? std::min(size - regionBytes, kRecordSize) : 0;
    std::memcpy(inner.m_block.data(), data + regionBytes, firstBytes);
    inner.ReadSplitIndex(size, firstBytes, outer);
    const DetailsFields details = Ix2Details(inner);
    TVX_FUZZ_CHECK(!details.details.empty());
    (void)inner.SplitPositionTime().Format("%Y/%m/%d %H:%M:%S");
    (void)inner.SplitPlayedMsByCounter();
    (void)Ix2PlainBlocks(size);
    (void)Ix2ChainBlocks(size);
    return 0;
}

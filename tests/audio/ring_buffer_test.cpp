#include "audio/ring_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <span>
#include <tuple>
#include <vector>

namespace tvx {
namespace {

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t first) {
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

TEST(CRingBuffer, OneByteAlwaysStaysFreeAndOnlyWhatIsStoredIsTaken) {
    CRingBuffer ring;
    const std::vector<std::uint8_t> all = Bytes(18000, 0);
    EXPECT_EQ(ring.GetFree(), 18000);
    ring.Write(all.data(), 18000);   // would fill it: dropped whole
    EXPECT_EQ(ring.GetCount(), 0);
    ring.Write(all.data(), 17999);
    EXPECT_EQ(std::tuple(ring.GetCount(), ring.GetFree()), std::tuple(17999, 1));
    ring.Write(all.data(), 1);       // not strictly below the free space either
    EXPECT_EQ(ring.GetCount(), 17999);
    ring.Clear();
    ring.Write(all.data(), 600);
    ring.Skip(601);
    EXPECT_EQ(ring.GetCount(), 600);
    ring.Skip(72);
    std::uint8_t record[528];
    ring.Read(record, 528);
    EXPECT_EQ(record[0], 72);
    std::uint8_t untouched[4] = {9, 9, 9, 9};
    ring.Read(untouched, 4);          // more than is stored: nothing taken
    EXPECT_EQ(std::tuple(untouched[0], ring.GetCount()), std::tuple(9, 0));
}

TEST(CRingBuffer, RecordsComeOutInOrderAcrossTheEndOfTheStorage) {
    // 500-byte pieces in and 528-byte records out: writes end exactly at the end of the
    // storage every 36 pieces, reads once in 1,125 records, and elsewhere split across it.
    CRingBuffer ring;
    std::vector<std::uint8_t> in, out;
    for (int round = 0; round < 1200; ++round) {
        const std::vector<std::uint8_t> piece = Bytes(500, static_cast<std::uint8_t>(round * 37));
        ring.Write(piece.data(), 500);
        in.insert(in.end(), piece.begin(), piece.end());
        for (std::uint8_t record[528]; ring.GetCount() >= 528; out.insert(out.end(), record, record + 528))
            ring.Read(record, 528);
        ASSERT_EQ(std::tuple(ring.GetCount(), ring.GetFree()),
                  std::tuple(in.size() - out.size(), 18000 - in.size() + out.size()));
    }
    ASSERT_GT(out.size(), 594000u);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), in.begin()));
    // A skip across the end of the storage comes round to its start.
    ring.Clear();
    ring.Write(in.data(), 17500);
    ring.Skip(17400);
    std::uint8_t next = 0;
    ring.Read(&next, 1);
    EXPECT_EQ(next, in[17400]);
}

// A decoder writes straight into the ring where the room lies unbroken and falls back on
// Write elsewhere: the stream comes out the same, and the last free byte is never taken.
TEST(CRingBuffer, InPlaceWritesJoinTheSameStream) {
    CRingBuffer ring;
    std::vector<std::uint8_t> in, out;
    int inPlace = 0;
    for (int round = 0; round < 1200; ++round) {
        const std::vector<std::uint8_t> piece = Bytes(500, static_cast<std::uint8_t>(round * 37));
        const std::span<std::uint8_t> room = ring.GetWriteSpace(2042);
        if (room.empty()) {
            ring.Write(piece.data(), 500);
        } else {
            std::copy(piece.begin(), piece.end(), room.begin());
            ring.CommitWrite(500);
            ++inPlace;
        }
        in.insert(in.end(), piece.begin(), piece.end());
        for (std::uint8_t record[528]; ring.GetCount() >= 528; out.insert(out.end(), record, record + 528))
            ring.Read(record, 528);
    }
    EXPECT_TRUE(std::equal(out.begin(), out.end(), in.begin()));
    EXPECT_GT(inPlace, 1000);   // refused only in the last 2,042 bytes before the end
    EXPECT_LT(inPlace, 1200);

    CRingBuffer edge;
    const std::vector<std::uint8_t> all = Bytes(18000, 0);
    edge.Write(all.data(), 2100);
    edge.Skip(2100);
    EXPECT_EQ(edge.GetWriteSpace(15899).size(), 15899u);
    EXPECT_TRUE(edge.GetWriteSpace(15900).empty());   // would reach the end of the storage
    edge.Write(all.data(), 15957);                    // round the end: 2,043 bytes free
    EXPECT_EQ(edge.GetWriteSpace(2042).size(), 2042u);
    edge.CommitWrite(1);
    EXPECT_TRUE(edge.GetWriteSpace(2042).empty());    // would take the last free byte
    EXPECT_EQ(std::tuple(edge.GetCount(), edge.GetFree()), std::tuple(15958, 2042));
}

}  // namespace
}  // namespace tvx

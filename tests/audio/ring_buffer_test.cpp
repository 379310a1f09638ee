#include "audio/ring_buffer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace tvx {
namespace {

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t first) {
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

TEST(CRingBuffer, OneByteAlwaysStaysFree) {
    CRingBuffer ring;
    EXPECT_EQ(ring.GetCount(), 0);
    EXPECT_EQ(ring.GetFree(), 18000);
    const std::vector<std::uint8_t> all = Bytes(18000, 0);
    ring.Write(all.data(), 18000);   // would fill it: dropped whole
    EXPECT_EQ(ring.GetCount(), 0);
    ring.Write(all.data(), 17999);
    EXPECT_EQ(ring.GetCount(), 17999);
    EXPECT_EQ(ring.GetFree(), 1);
    ring.Write(all.data(), 1);       // not strictly below the free space either
    EXPECT_EQ(ring.GetCount(), 17999);
}

TEST(CRingBuffer, RecordsComeOutInOrderAcrossTheEndOfTheStorage) {
    CRingBuffer ring;
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out;
    std::uint8_t seed = 0;
    // 512-byte payloads in, 528-byte records out, for many laps of the storage.
    for (int round = 0; round < 200; ++round) {
        const std::vector<std::uint8_t> payload = Bytes(512, seed);
        seed = static_cast<std::uint8_t>(seed + 37);
        ring.Write(payload.data(), 512);
        in.insert(in.end(), payload.begin(), payload.end());
        while (ring.GetCount() >= 528) {
            std::uint8_t record[528];
            ring.Read(record, 528);
            out.insert(out.end(), record, record + 528);
        }
        ASSERT_EQ(static_cast<std::size_t>(ring.GetCount()), in.size() - out.size());
    }
    ASSERT_GT(in.size(), 5u * 18000u);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), in.begin()));
}

TEST(CRingBuffer, AWriteEndingAtTheEndWrapsItsIndexToTheStart) {
    CRingBuffer ring;
    const std::vector<std::uint8_t> first = Bytes(10000, 0);
    ring.Write(first.data(), 10000);
    ring.Skip(10000);
    const std::vector<std::uint8_t> second = Bytes(8000, 100);
    ring.Write(second.data(), 8000);   // ends exactly at 18000
    EXPECT_EQ(ring.GetCount(), 8000);
    EXPECT_EQ(ring.GetFree(), 10000);
    const std::vector<std::uint8_t> third = Bytes(100, 7);
    ring.Write(third.data(), 100);     // lands at the start of the storage
    EXPECT_EQ(ring.GetCount(), 8100);
    std::vector<std::uint8_t> got(8100);
    ring.Read(got.data(), 8000);
    ring.Read(got.data() + 8000, 100);
    EXPECT_TRUE(std::equal(second.begin(), second.end(), got.begin()));
    EXPECT_TRUE(std::equal(third.begin(), third.end(), got.begin() + 8000));
    EXPECT_EQ(ring.GetCount(), 0);
}

TEST(CRingBuffer, SkipAndClearOnlyEverDropWhatIsStored) {
    CRingBuffer ring;
    ring.Clear();
    EXPECT_EQ(ring.GetFree(), 18000);
    const std::vector<std::uint8_t> data = Bytes(600, 0);
    ring.Write(data.data(), 600);
    ring.Skip(601);
    EXPECT_EQ(ring.GetCount(), 600);
    ring.Skip(72);
    std::uint8_t record[528];
    ring.Read(record, 528);
    EXPECT_EQ(record[0], 72);
    ring.Write(data.data(), 600);
    ring.Clear();
    EXPECT_EQ(ring.GetCount(), 0);
    std::uint8_t untouched[4] = {9, 9, 9, 9};
    ring.Read(untouched, 4);          // more than is stored: nothing taken
    EXPECT_EQ(untouched[0], 9);
}

}  // namespace
}  // namespace tvx

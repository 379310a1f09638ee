#include "export/segments.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

TEST(AddToCounters, EachErrorBitHasItsSlotAndEveryCallCountsInNine) {
    SegmentCounters counters{};
    AddToCounters(counters, 0x80000002u);
    EXPECT_EQ(counters, (SegmentCounters{1, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    AddToCounters(counters, 0x8400001Du);   // unit, block order, checksum, timestamp
    EXPECT_EQ(counters, (SegmentCounters{1, 1, 1, 1, 0, 0, 0, 1, 0, 2}));
    AddToCounters(counters, 0x80000100u);
    EXPECT_EQ(counters, (SegmentCounters{1, 1, 1, 1, 0, 0, 0, 1, 1, 3}));
}

TEST(SegmentByteLimit, MinutesWinThenMegabytesThenTheCeiling) {
    struct Case {
        int channels, outputBits, rate;
        std::uint16_t megabytes, minutes;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {1, 16, 8000, 0, 5, 4'800'000u},
        {2, 16, 22050, 0, 1, 5'292'000u},
        {1, 8, 8000, 0, 10, 4'800'000u},
        {1, 16, 8000, 1, 0, 1'048'576u},
        {1, 16, 8000, 7, 2, 1'920'000u},            // both given: minutes
        {1, 16, 8000, 0, 0, 2'146'435'072u},        // neither
        {1, 16, 8000, 2048, 0, 2'146'435'072u},
        {1, 16, 8000, 0, 2235, 2'145'600'000u},
        {1, 16, 8000, 0, 2236, 2'146'435'072u},     // 2,146,560,000 is past the ceiling
        {2, 16, 22050, 0, 65535, 2'146'435'072u},   // and this past 32 bits
        {1, 8, 1, 0, 1, 60u},                        // an IMG image may name 1 Hz
        {1, 8, 0, 0, 1, 2'146'435'072u},            // or 0 Hz: no time to cut by
        {1, 8, 0, 3, 1, 3'145'728u},                // then the megabytes count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.megabytes) + " MB, " + std::to_string(c.minutes) + " min");
        EXPECT_EQ(SegmentByteLimit(c.channels, c.outputBits, c.rate, c.megabytes, c.minutes),
                  c.expected);
    }
}

TEST(SegmentNames, FolderNameAndIndexMakeTheFileNames) {
    struct Case {
        std::string source, folder, wav0, txt1;
    };
    const Case cases[] = {
        {"/rec/F00012.IM2", "/out", "/out/F00012.00.wav", "/out/F00012.01.txt"},
        {"/rec/F00012.IM2", "/out/", "/out/F00012.00.wav", "/out/F00012.01.txt"},
        {"F00012.IM2", "out", "out/F00012.00.wav", "out/F00012.01.txt"},
        {"/rec.d/take.two.im2", "/o", "/o/take.two.00.wav", "/o/take.two.01.txt"},
        {"/rec/noext", "/o", "/o/n.00.wav", "/o/n.01.txt"},   // the last four go, whatever
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source + " -> " + c.folder);
        const SegmentNames names = NameSegments(c.source, c.folder);
        EXPECT_EQ(names.WavPath(0), c.wav0);
        EXPECT_EQ(names.TextPath(1), c.txt1);
    }
    EXPECT_EQ(NameSegments("/rec/F00012.IM2", "/out").WavPath(100), "/out/F00012.100.wav");
}

}  // namespace
}  // namespace tvx

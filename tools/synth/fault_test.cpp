// Each fault sets exactly its own bits on exactly its own records.

#include "synth/image_reading.h"
#include "synth/synth.h"

#include "core/block_status.h"

#include <gtest/gtest.h>

#include <map>

namespace tvx::synth {
namespace {

constexpr std::uint32_t kBlocks = 16;

// The statuses an image should show: 0 everywhere but the records named.
std::vector<BlockStatus> Expect(std::map<std::size_t, BlockStatus> irregular,
                                std::size_t blocks = kBlocks) {
    std::vector<BlockStatus> s(blocks, 0);
    for (const auto& [at, status] : irregular)
        s[at] = status;
    return s;
}

Im2Options Options() {
    Im2Options o;
    o.storedBits = 8;
    o.modelCode = 6;
    o.blocks = kBlocks;
    return o;
}

TEST(SynthFaults, EachKindMarksOnlyItsRecord) {
    struct Case {
        const char* name;
        Fault fault;
        std::map<std::size_t, BlockStatus> expected;
    };
    const Case kCases[] = {
        {"payload", {FaultKind::PayloadByte, 5}, {{5, 0x80000008u}}},
        {"unit", {FaultKind::UnitNumber, 0}, {{0, 0x80000001u}}},
        {"file", {FaultKind::FileNumber, 15}, {{15, 0x80000002u}}},
        {"order", {FaultKind::BlockOrder, 7}, {{7, 0x80000004u}, {8, 0x80000004u}}},
        {"timestamp", {FaultKind::Timestamp, 9}, {{9, 0x80000010u}}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::vector<Fault> faults = {c.fault};
        const auto image = MakeIm2(Options(), faults);
        ASSERT_EQ(image.size(), (kBlocks + 1) * kRecordSize);
        const ImageVerdict v = JudgeImage(image);
        EXPECT_FALSE(v.headerBad);
        EXPECT_EQ(v.header, kHeaderRecord);
        EXPECT_EQ(v.blocks, Expect(c.expected));
        // The decoder repeats the same tests while it deciphers.
        std::vector<std::uint8_t> decoded;
        std::vector<BlockStatus> statuses;
        DecodeImage(image, decoded, &statuses);
        EXPECT_EQ(statuses, Expect(c.expected));
    }
}

TEST(SynthFaults, ResealedTrailerChangesKeepTheAudio) {
    // A unit, file or timestamp change re-enciphers the payload under the new key, so only the
    // reference test fails and the record still decodes to the same samples.
    const std::vector<Fault> faults = {{FaultKind::UnitNumber, 3},
                                       {FaultKind::FileNumber, 4},
                                       {FaultKind::Timestamp, 5}};
    std::vector<std::uint8_t> clean;
    std::vector<std::uint8_t> faulty;
    DecodeImage(MakeIm2(Options()), clean);
    DecodeImage(MakeIm2(Options(), faults), faulty);
    EXPECT_EQ(faulty, clean);
    const auto image = MakeIm2(Options(), faults);
    EXPECT_NE(TimestampOf(std::span(image).subspan(6 * kRecordSize).first<kRecordSize>()),
              Options().timestamp);
}

TEST(SynthFaults, SwappedRecordsCarryEachOthersIndex) {
    const std::vector<Fault> faults = {{FaultKind::BlockOrder, 2}};
    const auto image = MakeIm2(Options(), faults);
    const Record third = DataRecord(Options(), 3);
    EXPECT_TRUE(std::equal(third.begin(), third.end(), image.begin() + 3 * kRecordSize));
    EXPECT_EQ(BlockIndexOf(std::span(image).subspan(4 * kRecordSize).first<kRecordSize>()), 2u);
}

TEST(SynthFaults, BadHeaderLeavesTheDataAlone) {
    const std::vector<Fault> faults = {{FaultKind::BadHeader, 0}};
    const ImageVerdict v = JudgeImage(MakeIm2(Options(), faults));
    EXPECT_TRUE(v.headerBad);
    EXPECT_EQ(v.header, 0x84000008u);
    EXPECT_EQ(v.blocks, Expect({}));
    EXPECT_TRUE(v.complete);
}

TEST(SynthFaults, TruncateCutsTheLastRecord) {
    struct Case {
        std::uint32_t blocks;
        std::uint32_t keep;
        std::uint64_t size;
    };
    const Case kCases[] = {
        {kBlocks, 0, kBlocks * kRecordSize + 100},   // default: 100 bytes kept
        {kBlocks, 1, kBlocks * kRecordSize + 1},
        {kBlocks, 900, kBlocks * kRecordSize + 527},
        {0, 40, 40},                                   // only the header, cut
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.keep);
        Im2Options o = Options();
        o.blocks = c.blocks;
        const std::vector<Fault> faults = {{FaultKind::TruncateLast, c.keep}};
        const auto image = MakeIm2(o, faults);
        ASSERT_EQ(image.size(), c.size);
        EXPECT_EQ(ImageSize(o, faults), c.size);
        if (c.blocks == 0)
            continue;
        // The cut record is never a block: one fewer present than stated.
        const ImageVerdict v = JudgeImage(image);
        EXPECT_EQ(v.blocks, Expect({}, kBlocks - 1));
        EXPECT_EQ(v.fileBlocks, kBlocks - 1);
        EXPECT_FALSE(v.complete);
        const auto whole = MakeIm2(o);
        EXPECT_TRUE(std::equal(image.begin(), image.end(), whole.begin()));
    }
}

TEST(SynthFaults, SeveralFaultsAtOnce) {
    const std::vector<Fault> faults = {
        {FaultKind::UnitNumber, 3},  {FaultKind::PayloadByte, 3}, {FaultKind::BlockOrder, 10},
        {FaultKind::FileNumber, 11}, {FaultKind::Timestamp, 14},  {FaultKind::PayloadByte, 14},
        {FaultKind::BadHeader, 0},   {FaultKind::TruncateLast, 200},
    };
    const ImageVerdict v = JudgeImage(MakeIm2(Options(), faults));
    EXPECT_TRUE(v.headerBad);
    EXPECT_EQ(v.blocks, Expect({{3, 0x80000009u},
                                {10, 0x80000004u},
                                {11, 0x80000006u},
                                {14, 0x80000018u}},
                               kBlocks - 1));   // the 16th record is cut
}

TEST(SynthFaults, ChainedSwapsAndFaultsPastTheEnd) {
    // Two swaps in a row carry record 3 to position 5; swaps and faults past the last record
    // are dropped.
    const std::vector<Fault> faults = {
        {FaultKind::BlockOrder, 3},         {FaultKind::BlockOrder, 4},
        {FaultKind::BlockOrder, kBlocks - 1}, {FaultKind::PayloadByte, kBlocks},
        {FaultKind::UnitNumber, 1000},
    };
    const auto image = MakeIm2(Options(), faults);
    ASSERT_EQ(image.size(), (kBlocks + 1) * kRecordSize);
    const auto indexAt = [&](std::size_t position) {
        return BlockIndexOf(std::span(image).subspan((position + 1) * kRecordSize).first<kRecordSize>());
    };
    EXPECT_EQ(indexAt(3), 4u);
    EXPECT_EQ(indexAt(4), 5u);
    EXPECT_EQ(indexAt(5), 3u);
    EXPECT_EQ(JudgeImage(image).blocks,
              Expect({{3, 0x80000004u}, {4, 0x80000004u}, {5, 0x80000004u}}));
}

}  // namespace
}  // namespace tvx::synth

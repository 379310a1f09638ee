// The header: the layout and references it sets, the length verdicts, and the times derived
// from blocks.

#include "core_test_support.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

namespace tvx {
namespace {

constexpr const char* kLong = "%a, %d %b %Y, %H:%M:%S";
constexpr std::int64_t kNoMs = std::numeric_limits<std::int32_t>::min();

TEST(Header, TakesTheReferencesAndRestartsTheCounters) {
    synth::Im2Options o;
    o.unitNumber = 42;
    o.fileNumber = 65535;
    o.statedBlocks = 1000;
    CIm2 im2;
    im2.m_nBlock = 77;
    im2.m_nFirstIndex = 5;
    im2.m_block = synth::HeaderRecord(o);
    im2.InitFromHeader();
    EXPECT_EQ(std::tuple(im2.m_nUnitNumber, im2.GetFileNumber(), im2.m_dwTimestamp, im2.m_nLastIndex,
                         im2.m_nStatedBlocks, im2.m_nFirstIndex, im2.m_nBlock),
              std::tuple(42u, 65535, o.timestamp, 999u, 1000u, 0u, 0u));
}

TEST(Header, CompressionDecidesTheOutput) {
    struct Case {
        int bits, channels, rateCode;
        std::uint8_t model;
        int storedBits, outputBits, outChannels, rate;
        bool raw8;
    };
    const Case kCases[] = {
        {4, 2, 1, 103, 4, 16, 2, 11025, false},  // compression 6
        {4, 2, 2, 37, 4, 8, 2, 16000, false},    // compression 5: 8-bit output
        {8, 2, 3, 63, 8, 8, 1, 8000, true},      // compression 31: 8 kHz mono plain 8-bit
        {16, 1, 2, 225, 8, 8, 1, 8000, true},    // ... whatever the format byte says
        {16, 2, 0, 102, 16, 16, 2, 8000, false}, // compression 4
        {4, 1, 0, 0, 4, 16, 1, 8000, false},     // unknown code: compression 4
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(static_cast<int>(c.model));
        const CIm2 im2 = test::StateFor(test::OptionsFor(c.bits, c.channels, c.model, c.rateCode));
        EXPECT_EQ(im2.m_nStoredBits, c.storedBits);
        EXPECT_EQ(im2.m_nOutputBits, c.outputBits);
        EXPECT_EQ(im2.GetChannels(), c.outChannels);
        EXPECT_EQ(im2.m_nSampleRate, c.rate);
        EXPECT_EQ(im2.IsRaw8(), c.raw8);
    }
}

TEST(Header, UndefinedWidthCodesReadAsSixteen) {
    for (std::uint8_t widthCode = 2; widthCode <= 7; ++widthCode) {
        SCOPED_TRACE(static_cast<int>(widthCode));
        Record header = synth::HeaderRecord({});
        header[kOffFormatByte] = static_cast<std::uint8_t>(widthCode << 2);
        synth::ResealSums(header);
        CIm2 im2;
        im2.m_block = header;
        im2.InitFromHeader();
        EXPECT_EQ(im2.m_nStoredBits, 16);
        EXPECT_EQ(test::DecodeRecord(im2, test::RecordOf({}, test::PlainOf({}, 0))).count, 512);
    }
    EXPECT_EQ(StoredBitsOf(0x04), 8);
    EXPECT_EQ(StoredBitsOf(0xE3), 4);   // the unused top bits and the stereo bit stay out
    EXPECT_EQ(ChannelsOf(0xDF), 1);
    EXPECT_EQ(SampleRateOf(0xFD), 11025);
}

TEST(Header, FileLengthAndCompleteness) {
    struct Case {
        const char* why;
        std::int64_t stated;
        std::uint64_t bytes;
        std::uint32_t fileBlocks;
        bool complete;
    };
    const Case kCases[] = {
        {"exact", 10, 528 * 11, 10, true},
        {"one short", 11, 528 * 11, 10, false},
        {"one long", 10, 528 * 12, 11, false},
        {"cut tail is no block", 10, 528 * 11 + 100, 10, true},
        {"cut tail short of a block", 11, 528 * 11 + 527, 10, false},
        {"header only", 1, 528, 0, false},
        {"header announcing nothing", 0, 528, 0, true},
        {"shorter than a header", 1, 100, 0, false},
        {"empty", 0, 0, 0, false},
        {"past 4 GiB", 8134683, 528ull * 8134684, 8134683, true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.why);
        synth::Im2Options o;
        o.statedBlocks = c.stated;
        CIm2 im2 = test::StateFor(o);
        im2.SetFileLength(c.bytes);
        EXPECT_EQ(im2.m_nFileBlocks, c.fileBlocks);
        EXPECT_EQ(im2.IsComplete(), c.complete);
    }
}

TEST(BlockTime, BlocksToMsByVariant) {
    struct Case {
        const char* name;
        int bits, channels;
        std::uint8_t model;
        int rateCode;
        std::uint64_t blocks;
        std::int64_t ms;
    };
    const Case kCases[] = {
        // 1,021 samples a record at 8 kHz: one record is 127 ms, 100 records 12,762 ms.
        {"4-bit mono, 16-bit out", 4, 1, 4, 0, 1, 127},
        {"4-bit mono, 16-bit out", 4, 1, 4, 0, 100, 12762},
        {"4-bit stereo, 16-bit out", 4, 2, 6, 2, 1000, 31812},     // 509 at 16 kHz
        {"4-bit mono, 8-bit out", 4, 1, 37, 1, 100, 9278},         // 1,023 at 11,025 Hz
        {"4-bit stereo, 8-bit out", 4, 2, 37, 3, 100, 2317},       // 511 at 22,050 Hz
        {"8-bit mono, 16-bit out", 8, 1, 6, 0, 8, 511},
        {"8-bit stereo, 16-bit out", 8, 2, 4, 0, 8, 255},
        {"8-bit mono, 8-bit out", 8, 1, 37, 0, 8, 512},
        {"8-bit stereo, 8-bit out", 8, 2, 37, 0, 8, 256},
        {"plain 8-bit", 16, 2, 31, 3, 8, 512},                    // forced to 8 kHz mono
        {"16-bit mono", 16, 1, 4, 0, 1000, 32000},
        {"16-bit stereo", 16, 2, 4, 2, 1000, 8000},
        {"none", 4, 1, 4, 0, 0, 0},
        {"2,042,000,000 ms still fit", 4, 1, 4, 0, 16000000, 2042000000},
        // Past 2^31 - 1 ms the unit's counter has no value; it reads as the lowest one, and
        // the product of samples and records is taken in 64 bits before it is scaled.
        {"past 32 bits", 4, 1, 4, 0, 17000000, kNoMs},
        {"far past 32 bits", 4, 1, 4, 0, std::uint64_t{1} << 40, kNoMs},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.name) + " x" + std::to_string(c.blocks));
        const CIm2 im2 = test::StateFor(test::OptionsFor(c.bits, c.channels, c.model, c.rateCode));
        EXPECT_EQ(im2.BlocksToMs(c.blocks), c.ms);
    }
}

TEST(BlockTime, MsToBlockIsTheNearestBlock) {
    struct Case {
        int bits, channels;
        std::uint8_t model;
        int rateCode;
        std::int64_t ms, block;
    };
    const Case kCases[] = {
        {4, 1, 4, 0, 63, 0},   {4, 1, 4, 0, 64, 1},   {4, 1, 4, 0, 12762, 100},
        {4, 1, 4, 0, 3600000, 28208},                 {16, 2, 4, 2, 1000, 125},
        {16, 1, 4, 0, 15, 0},  {16, 1, 4, 0, 16, 1},  {16, 2, 4, 2, 3, 0},
        {16, 2, 4, 2, 4, 1},   {4, 2, 4, 0, 31, 0},   {4, 2, 4, 0, 32, 1},
        // 8-bit storage counts 511 samples a record here, one short of plain 8-bit's 512.
        {8, 1, 31, 0, 31, 0},  {8, 1, 31, 0, 32, 1},  {8, 1, 31, 0, 6388, 100},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.bits << "-bit x" << c.channels << " " << c.ms << " ms");
        const CIm2 im2 = test::StateFor(test::OptionsFor(c.bits, c.channels, c.model, c.rateCode));
        EXPECT_EQ(im2.MsToBlock(c.ms), c.block);
    }
}

TEST(BlockTime, StatedFilePlayedAndCalendarTimes) {
    synth::Im2Options o = test::OptionsFor(4, 1, 4);
    o.statedBlocks = 100;
    CIm2 im2 = test::StateFor(o);
    im2.SetFileLength(528 * 51);
    EXPECT_EQ(im2.StatedMs(), 12762);
    EXPECT_EQ(im2.FileMs(), 6381);
    EXPECT_EQ(FormatSpanHms(im2.StatedSpan()), "0:00:12");
    EXPECT_EQ(im2.StartTime().Format(kLong), "Fri, 14 Mar 2008, 09:26:53");
    // The position comes from the record in the buffer, less what is still queued.
    im2.m_block = synth::DataRecord(o, 99);
    EXPECT_EQ(im2.PlayedMs(), 12762);
    im2.m_nQueuedMs = 500;
    EXPECT_EQ(im2.PlayedMs(), 12262);
    EXPECT_EQ(im2.PositionTime().Format("%H:%M:%S"), "09:27:05");
    im2.m_nBlock = 9;
    EXPECT_EQ(im2.PlayedMsByCounter(), 1276 - 500);
}

TEST(BlockTime, StartTimeOfOddTimestamps) {
    const std::pair<PackedTime, const char*> kCases[] = {
        // Month or day out of range: the zero time, which prints as the epoch.
        {{2008, 13, 14, 9, 26, 53}, "Sat, 30 Dec 1899, 00:00:00"},
        {{2008, 3, 0, 9, 26, 53}, "Sat, 30 Dec 1899, 00:00:00"},
        // Valid for the record, outside the calendar for the clock.
        {{2008, 3, 14, 24, 0, 0}, "Invalid DateTime"},
        {{2008, 3, 14, 9, 60, 0}, "Invalid DateTime"},
        {{2008, 2, 31, 9, 0, 0}, "Invalid DateTime"},
        {{2063, 12, 31, 23, 59, 59}, "Mon, 31 Dec 2063, 23:59:59"},
    };
    for (const auto& [packed, text] : kCases) {
        SCOPED_TRACE(text);
        synth::Im2Options o;
        o.timestamp = PackTimestamp(packed);
        EXPECT_EQ(test::StateFor(o).StartTime().Format(kLong), text);
    }
}

}  // namespace
}  // namespace tvx

// The header: the layout and references it sets, the model table behind its codes, the
// length verdicts, and the times derived from blocks.

#include "core_test_support.h"

#include "core/model_table.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <tuple>

namespace tvx {
namespace {

constexpr const char* kLong = "%a, %d %b %Y, %H:%M:%S";
constexpr std::int64_t kNoMs = std::numeric_limits<std::int32_t>::min();

TEST(Header, CompressionDecidesTheOutputAndTheTimeOfABlock) {
    // Stored bits, channels, rate code and model code in; stored and output bits, channels,
    // rate, plain 8-bit, and the time of a number of blocks out.
    const std::tuple<int, int, int, std::uint8_t, int, int, int, int, bool, std::uint64_t, std::int64_t> kCases[] = {
        // Compression 4: 1,021 samples a record at 8 kHz, so 100 records are 12,762 ms.
        {4, 1, 0, 4, 4, 16, 1, 8000, false, 100, 12762},
        {4, 1, 0, 0, 4, 16, 1, 8000, false, 1, 127},          // an unknown code is compression 4
        {8, 2, 0, 4, 8, 16, 2, 8000, false, 8, 255},
        {16, 1, 0, 4, 16, 16, 1, 8000, false, 1000, 32000},
        {16, 2, 0, 102, 16, 16, 2, 8000, false, 1000, 16000},
        {16, 2, 2, 4, 16, 16, 2, 16000, false, 1000, 8000},
        // Compression 6.
        {4, 2, 1, 103, 4, 16, 2, 11025, false, 100, 4616},     // 509 samples a channel
        {4, 2, 2, 6, 4, 16, 2, 16000, false, 1000, 31812},
        {8, 1, 0, 6, 8, 16, 1, 8000, false, 8, 511},
        // Compression 5: 8-bit output.
        {4, 1, 1, 37, 4, 8, 1, 11025, false, 100, 9278},       // 1,023 samples
        {4, 2, 2, 37, 4, 8, 2, 16000, false, 100, 3193},       // 511 a channel
        {4, 2, 3, 37, 4, 8, 2, 22050, false, 100, 2317},
        {8, 1, 0, 37, 8, 8, 1, 8000, false, 8, 512},
        {8, 2, 0, 37, 8, 8, 2, 8000, false, 8, 256},
        // Compression 31: 8 kHz mono plain 8-bit, whatever the format byte says.
        {8, 2, 3, 63, 8, 8, 1, 8000, true, 8, 512},
        {16, 1, 2, 225, 8, 8, 1, 8000, true, 8, 512},
        {16, 2, 3, 31, 8, 8, 1, 8000, true, 0, 0},
    };
    for (const auto& [bits, channels, rateCode, model, storedBits, outputBits, outChannels, rate, raw8, blocks, ms] : kCases) {
        SCOPED_TRACE(testing::Message() << bits << "-bit x" << channels << " code " << int{model});
        const CIm2 im2 = test::StateFor(test::OptionsFor(bits, channels, model, rateCode));
        EXPECT_EQ(std::tuple(im2.m_nStoredBits, im2.m_nOutputBits, im2.GetChannels(), im2.m_nSampleRate, im2.IsRaw8()),
                  std::tuple(storedBits, outputBits, outChannels, rate, raw8));
        EXPECT_EQ(im2.BlocksToMs(blocks), ms);
    }
    // Kept in 32 bits like the unit's own counter: past 2^31 - 1 ms the time has no value and
    // reads as the lowest one, and the product of samples and records is taken in 64 bits.
    const CIm2 im2 = test::StateFor(test::OptionsFor(4, 1, 4));
    EXPECT_EQ(im2.BlocksToMs(16000000), 2042000000);
    EXPECT_EQ(im2.BlocksToMs(17000000), kNoMs);
    EXPECT_EQ(im2.BlocksToMs(std::uint64_t{1} << 40), kNoMs);
}

TEST(Header, UndefinedWidthCodesReadAsSixteenAndANewHeaderRestartsTheCounters) {
    for (std::uint8_t widthCode = 2; widthCode <= 7; ++widthCode) {
        SCOPED_TRACE(static_cast<int>(widthCode));
        Record header = synth::HeaderRecord({});
        header[kOffFormatByte] = static_cast<std::uint8_t>(widthCode << 2);
        synth::ResealSums(header);
        CIm2 im2;
        im2.m_nBlock = 77;
        im2.m_nFirstIndex = 5;
        im2.m_block = header;
        im2.InitFromHeader();
        EXPECT_EQ(std::tuple(im2.m_nStoredBits, im2.m_nBlock, im2.m_nFirstIndex), std::tuple(16, 0u, 0u));
        EXPECT_EQ(test::DecodeRecord(im2, test::RecordOf({}, test::PlainOf({}, 0))).count, 512);
    }
    // The unused top bits and the stereo bit stay out of the width.
    EXPECT_EQ(std::tuple(StoredBitsOf(0x04), StoredBitsOf(0xE3), ChannelsOf(0xDF), SampleRateOf(0xFD)), std::tuple(8, 4, 1, 11025));
}

TEST(Header, FileLengthAndCompleteness) {
    const std::tuple<const char*, std::int64_t, std::uint64_t, std::uint32_t, bool> kCases[] = {
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
    for (const auto& [why, stated, bytes, fileBlocks, complete] : kCases) {
        SCOPED_TRACE(why);
        synth::Im2Options o;
        o.statedBlocks = stated;
        CIm2 im2 = test::StateFor(o);
        im2.SetFileLength(bytes);
        EXPECT_EQ(im2.m_nFileBlocks, fileBlocks);
        EXPECT_EQ(im2.IsComplete(), complete);
    }
}

TEST(BlockTime, MsToBlockIsTheNearestBlock) {
    const std::tuple<int, int, std::uint8_t, int, std::int64_t, std::int64_t> kCases[] = {
        {4, 1, 4, 0, 63, 0},   {4, 1, 4, 0, 64, 1},   {4, 1, 4, 0, 12762, 100},
        {4, 1, 4, 0, 3600000, 28208},                 {16, 2, 4, 2, 1000, 125},
        {16, 1, 4, 0, 15, 0},  {16, 1, 4, 0, 16, 1},  {16, 2, 4, 2, 3, 0},
        {16, 2, 4, 2, 4, 1},   {4, 2, 4, 0, 31, 0},   {4, 2, 4, 0, 32, 1},
        // 8-bit storage counts 511 samples a record here, one short of plain 8-bit's 512.
        {8, 1, 31, 0, 31, 0},  {8, 1, 31, 0, 32, 1},  {8, 1, 31, 0, 6388, 100},
    };
    for (const auto& [bits, channels, model, rateCode, ms, block] : kCases) {
        SCOPED_TRACE(testing::Message() << bits << "-bit x" << channels << " " << ms << " ms");
        EXPECT_EQ(test::StateFor(test::OptionsFor(bits, channels, model, rateCode)).MsToBlock(ms), block);
    }
}

TEST(BlockTime, StatedFileAndPlayedTimes) {
    synth::Im2Options o = test::OptionsFor(4, 1, 4);
    o.statedBlocks = 100;
    CIm2 im2 = test::StateFor(o);
    im2.SetFileLength(528 * 51);
    EXPECT_EQ(std::vector({im2.StatedMs(), im2.FileMs()}), std::vector<std::int64_t>({12762, 6381}));
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

TEST(ModelTable, RowsAndCodesOutsideTheTable) {
    const std::map<int, std::pair<int, int>> kRows = {
        {4, {1, 4}},   {6, {1, 6}},   {31, {1, 31}},  {37, {2, 5}},   {63, {2, 31}},
        {69, {3, 5}},  {101, {4, 5}}, {102, {5, 4}},  {103, {5, 6}},  {104, {5, 31}},
        {133, {6, 5}}, {165, {7, 5}}, {197, {8, 5}},  {224, {9, 5}},  {225, {9, 31}},
    };
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        const auto c = static_cast<std::uint8_t>(code);
        const auto row = kRows.find(code);
        // Every row is a supported pair; a code outside the table is no model and compression 4.
        const bool inTable = row != kRows.end();
        EXPECT_EQ(std::tuple(ModelOf(c), CompressionOf(c), IsCompressionSupported(c)),
                  inTable ? std::tuple(row->second.first, row->second.second, true) : std::tuple(0, 4, false));
    }
}

TEST(ModelTable, UnitIdText) {
    const std::tuple<int, int, const char*> kIds[] = {
        {165, 42, "QM7-00042"}, {101, 7, "QM9-00007"},   {133, 1, "QM8-00001"},
        {0, 123, "00123"},      {4, 0, "QM-00000"},       {37, 65535, "QN-65535"},
        {69, 57920, "QP-57920"}, {104, 9, "QR-00009"},    {197, 10, "QS-00010"},
        {225, 34463, "QT-34463"},
    };
    for (const auto& [model, unit, text] : kIds)
        EXPECT_EQ(FormatUnitId(static_cast<std::uint8_t>(model), static_cast<std::uint16_t>(unit)), text);
    for (int model : {0, 10, -1})
        EXPECT_STREQ(ModelPrefix(model), "");
}

}  // namespace
}  // namespace tvx

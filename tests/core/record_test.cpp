// An IM2 record read by its header's rules. The header: the layout and references it sets,
// the model table behind its codes, the length verdicts and the times derived from blocks. A
// record judged and decoded: each reference field has its own bit, the sums cover every byte,
// Decode judges exactly as CheckBlock, a header is judged on its own terms; samples of every
// code against hand-worked records, gain and clamps, and silence for a code that fits no
// variant. The synthesizer codes with the decoder's own steps, so its images cannot catch a
// wrong step: the hand-worked records can.

#include "core/block_record.h"
#include "core/block_status.h"
#include "core/key_stream.h"
#include "core/model_table.h"
#include "core/sample_codecs.h"
#include "formats/im2/decoder_lanes.h"
#include "formats/im2/im2.h"
#include "synth/image_reading.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <tuple>
#include <vector>

namespace tvx {
namespace {

constexpr const char* kLong = "%a, %d %b %Y, %H:%M:%S";
constexpr std::int64_t kNoMs = std::numeric_limits<std::int32_t>::min();
constexpr BlockStatus kBadSum = 0x80000008u;

// Options for one stored width, channel count, model code and rate code, others at defaults.
synth::Im2Options OptionsFor(int storedBits, int channels, std::uint8_t modelCode, int rateCode = 0) {
    return {.storedBits = storedBits, .channels = channels, .rateCode = rateCode, .modelCode = modelCode};
}

// A CIm2 whose reference state comes from the header of a synthesized image of `options`.
CIm2 StateFor(const synth::Im2Options& options) {
    CIm2 im2;
    im2.m_block = synth::HeaderRecord(options);
    im2.InitFromHeader();
    im2.m_bHeaderBad = im2.IsHeaderBad();
    return im2;
}

// A sealed data record of the image of `options`: its plain payload the bytes given, then
// `fill` to the end.
Record RecordOf(const synth::Im2Options& options, const std::vector<int>& prefix, std::uint8_t fill = 0) {
    std::array<std::uint8_t, kPayloadSize> plain;
    plain.fill(fill);
    std::ranges::transform(prefix, plain.begin(), [](int b) { return static_cast<std::uint8_t>(b); });
    return synth::SealRecord(plain, {.fileNumber = options.fileNumber, .unitNumber = options.unitNumber,
                                     .timestamp = options.timestamp, .formatByte = synth::FormatByteFor(options),
                                     .modelCode = options.modelCode});
}

// Decode's status, its byte count, and the samples: signed 16-bit ones for 16-bit output, the
// bytes themselves for 8-bit.
std::tuple<BlockStatus, std::uint16_t, std::vector<int>> DecodeRecord(CIm2& im2, const Record& record) {
    std::array<std::uint8_t, kMaxDecodedBytes> bytes{};
    im2.m_block = record;
    std::uint16_t count = 0;
    const BlockStatus status = im2.Decode(bytes, &count);
    std::vector<int> values;
    const auto step = static_cast<std::size_t>(im2.m_nOutputBits / 8);
    for (std::size_t i = 0; i + step <= count; i += step)
        values.push_back(im2.m_nOutputBits == 8 ? bytes[i] : static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
    return {status, count, values};
}

TEST(Header, CompressionDecidesTheOutputAndTheTimeOfABlock) {
    // Stored bits, channels, rate code and model code in; stored and output bits, channels,
    // rate, plain 8-bit, and the time of a number of blocks out.
    const std::tuple<int, int, int, std::uint8_t, int, int, int, int, bool, std::uint64_t, std::int64_t> kCases[] = {
        // Compression 4: 1,021 samples a record at 8 kHz, so 100 records are 12,762 ms; an
        // unknown code is compression 4.
        {4, 1, 0, 4, 4, 16, 1, 8000, false, 100, 12762},      {4, 1, 0, 0, 4, 16, 1, 8000, false, 1, 127},
        {8, 2, 0, 4, 8, 16, 2, 8000, false, 8, 255},          {16, 1, 0, 4, 16, 16, 1, 8000, false, 1000, 32000},
        {16, 2, 0, 102, 16, 16, 2, 8000, false, 1000, 16000}, {16, 2, 2, 4, 16, 16, 2, 16000, false, 1000, 8000},
        // Compression 6: 509 samples a channel in stereo.
        {4, 2, 1, 103, 4, 16, 2, 11025, false, 100, 4616},    {4, 2, 2, 6, 4, 16, 2, 16000, false, 1000, 31812},
        {8, 1, 0, 6, 8, 16, 1, 8000, false, 8, 511},
        // Compression 5: 8-bit output, 1,023 samples, 511 a channel.
        {4, 1, 1, 37, 4, 8, 1, 11025, false, 100, 9278},      {4, 2, 2, 37, 4, 8, 2, 16000, false, 100, 3193},
        {4, 2, 3, 37, 4, 8, 2, 22050, false, 100, 2317},      {8, 1, 0, 37, 8, 8, 1, 8000, false, 8, 512},
        {8, 2, 0, 37, 8, 8, 2, 8000, false, 8, 256},
        // Compression 31: 8 kHz mono plain 8-bit, whatever the format byte says.
        {8, 2, 3, 63, 8, 8, 1, 8000, true, 8, 512},           {16, 1, 2, 225, 8, 8, 1, 8000, true, 8, 512},
        {16, 2, 3, 31, 8, 8, 1, 8000, true, 0, 0},
    };
    for (const auto& [bits, channels, rateCode, model, storedBits, outputBits, outChannels, rate, raw8, blocks, ms] : kCases) {
        SCOPED_TRACE(testing::Message() << bits << "-bit x" << channels << " code " << int{model});
        const CIm2 im2 = StateFor(OptionsFor(bits, channels, model, rateCode));
        EXPECT_EQ(std::tuple(im2.m_nStoredBits, im2.m_nOutputBits, im2.GetChannels(), im2.m_nSampleRate, im2.IsRaw8(),
                             im2.BlocksToMs(blocks)),
                  std::tuple(storedBits, outputBits, outChannels, rate, raw8, ms));
    }
    // Kept in 32 bits like the unit's own counter: past 2^31 - 1 ms the time has no value and
    // reads as the lowest one, and the product of samples and records is taken in 64 bits.
    const CIm2 im2 = StateFor(OptionsFor(4, 1, 4));
    EXPECT_EQ(std::tuple(im2.BlocksToMs(16000000), im2.BlocksToMs(17000000), im2.BlocksToMs(std::uint64_t{1} << 40)),
              std::tuple(2042000000, kNoMs, kNoMs));
}

TEST(Header, UndefinedWidthCodesReadAsSixteenAndANewHeaderRestartsTheCounters) {
    for (std::uint8_t widthCode = 2; widthCode <= 7; ++widthCode) {
        SCOPED_TRACE(static_cast<int>(widthCode));
        CIm2 im2;
        im2.m_nBlock = 77;
        im2.m_nFirstIndex = 5;
        im2.m_block = synth::HeaderRecord({});
        im2.m_block[kOffFormatByte] = static_cast<std::uint8_t>(widthCode << 2);
        synth::ResealSums(im2.m_block);
        im2.InitFromHeader();
        EXPECT_EQ(std::tuple(im2.m_nStoredBits, im2.m_nBlock, im2.m_nFirstIndex), std::tuple(16, 0u, 0u));
        EXPECT_EQ(std::get<std::uint16_t>(DecodeRecord(im2, RecordOf({}, {}))), 512);
    }
    // The unused top bits and the stereo bit stay out of the width.
    EXPECT_EQ(std::tuple(StoredBitsOf(0x04), StoredBitsOf(0xE3), ChannelsOf(0xDF), SampleRateOf(0xFD)),
              std::tuple(8, 4, 1, 11025));
}

TEST(Header, FileLengthAndCompleteness) {
    // Stated blocks and file bytes in, the blocks the file holds and whether it is complete out.
    const std::tuple<std::int64_t, std::uint64_t, std::uint32_t, bool> kCases[] = {
        {10, 528 * 11, 10, true},    {11, 528 * 11, 10, false},   // exact, one short
        {10, 528 * 12, 11, false},   {10, 528 * 11 + 100, 10, true},   // one long, a cut tail is no block
        {11, 528 * 11 + 527, 10, false}, {1, 528, 0, false},     // a cut tail short of a block, header only
        {0, 528, 0, true},           {1, 100, 0, false},         // a header announcing nothing, shorter than one
        {0, 0, 0, false},            {8134683, 528ull * 8134684, 8134683, true},   // empty, past 4 GiB
    };
    for (const auto& [stated, bytes, fileBlocks, complete] : kCases) {
        CIm2 im2 = StateFor({.statedBlocks = stated});
        im2.SetFileLength(bytes);
        EXPECT_EQ(std::tuple(im2.m_nFileBlocks, im2.IsComplete()), std::tuple(fileBlocks, complete)) << bytes;
    }
}

TEST(BlockTime, MsToBlockIsTheNearestBlock) {
    const std::tuple<int, int, std::uint8_t, int, std::int64_t, std::int64_t> kCases[] = {
        {4, 1, 4, 0, 63, 0},  {4, 1, 4, 0, 64, 1},  {4, 1, 4, 0, 12762, 100}, {4, 1, 4, 0, 3600000, 28208},
        {16, 2, 4, 2, 1000, 125}, {16, 1, 4, 0, 15, 0}, {16, 1, 4, 0, 16, 1}, {16, 2, 4, 2, 3, 0},
        {16, 2, 4, 2, 4, 1},  {4, 2, 4, 0, 31, 0},  {4, 2, 4, 0, 32, 1},
        // 8-bit storage counts 511 samples a record here, one short of plain 8-bit's 512.
        {8, 1, 31, 0, 31, 0}, {8, 1, 31, 0, 32, 1}, {8, 1, 31, 0, 6388, 100},
    };
    for (const auto& [bits, channels, model, rateCode, ms, block] : kCases)
        EXPECT_EQ(StateFor(OptionsFor(bits, channels, model, rateCode)).MsToBlock(ms), block)
            << bits << "-bit x" << channels << " " << ms << " ms";
}

TEST(BlockTime, StatedFileAndPlayedTimes) {
    synth::Im2Options o = OptionsFor(4, 1, 4);
    o.statedBlocks = 100;
    CIm2 im2 = StateFor(o);
    im2.SetFileLength(528 * 51);
    // The position comes from the record in the buffer, less what is still queued.
    im2.m_block = synth::DataRecord(o, 99);
    const std::int64_t played = im2.PlayedMs();
    im2.m_nQueuedMs = 500;
    im2.m_nBlock = 9;
    EXPECT_EQ(std::vector({im2.StatedMs(), im2.FileMs(), played, im2.PlayedMs(), im2.PlayedMsByCounter()}),
              std::vector<std::int64_t>({12762, 6381, 12762, 12262, 1276 - 500}));
    EXPECT_EQ(im2.PositionTime().Format("%H:%M:%S"), "09:27:05");
}

TEST(BlockTime, StartTimeOfOddTimestamps) {
    const std::pair<PackedTime, const char*> kCases[] = {
        // Month or day out of range: the zero time, which prints as the epoch; 31 February is
        // valid for the record, outside the calendar for the clock.
        {{2008, 13, 14, 9, 26, 53}, "Sat, 30 Dec 1899, 00:00:00"},
        {{2008, 3, 0, 9, 26, 53}, "Sat, 30 Dec 1899, 00:00:00"},
        {{2008, 2, 31, 9, 0, 0}, "Invalid DateTime"},
        {{2063, 12, 31, 23, 59, 59}, "Mon, 31 Dec 2063, 23:59:59"},
    };
    for (const auto& [packed, text] : kCases)
        EXPECT_EQ(StateFor({.timestamp = PackTimestamp(packed)}).StartTime().Format(kLong), text);
}

TEST(ModelTable, RowsCodesOutsideTheTableAndUnitIds) {
    const std::map<int, std::pair<int, int>> kRows = {
        {4, {1, 4}},   {6, {1, 6}},   {31, {1, 31}},  {37, {2, 5}},   {63, {2, 31}},
        {69, {3, 5}},  {101, {4, 5}}, {102, {5, 4}},  {103, {5, 6}},  {104, {5, 31}},
        {133, {6, 5}}, {165, {7, 5}}, {197, {8, 5}},  {224, {9, 5}},  {225, {9, 31}},
    };
    for (int code = 0; code < 256; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        const auto row = kRows.find(code);
        // Every row is a supported pair; a code outside the table is no model and compression 4.
        const auto want = row != kRows.end() ? std::tuple(row->second.first, row->second.second, true)
                                             : std::tuple(0, 4, false);
        EXPECT_EQ(std::tuple(ModelOf(c), CompressionOf(c), IsCompressionSupported(c)), want) << code;
    }
    const std::tuple<int, int, const char*> kIds[] = {
        {165, 42, "QM7-00042"}, {101, 7, "QM9-00007"},    {133, 1, "QM8-00001"}, {0, 123, "00123"},
        {4, 0, "QM-00000"},     {37, 65535, "QN-65535"},  {69, 57920, "QP-57920"}, {104, 9, "QR-00009"},
        {197, 10, "QS-00010"},  {225, 34463, "QT-34463"},
    };
    for (const auto& [model, unit, text] : kIds)
        EXPECT_EQ(FormatUnitId(static_cast<std::uint8_t>(model), static_cast<std::uint16_t>(unit)), text);
    for (int model : {0, 10, -1})
        EXPECT_STREQ(ModelPrefix(model), "");
}

TEST(RecordCheck, EachFieldSetsItsOwnBitInEveryCombination) {
    const synth::Im2Options o;
    CIm2 im2 = StateFor(o);
    im2.m_nBlock = 6;   // the counter, not the record's place, is what the index must match
    for (int mask = 0; mask < 16; ++mask) {
        SCOPED_TRACE(mask);
        synth::Im2Options r = o;
        r.unitNumber = static_cast<std::uint16_t>(o.unitNumber ^ (mask & 1 ? 0x8000 : 0));
        r.fileNumber = static_cast<std::uint16_t>(o.fileNumber + (mask & 2 ? 256 : 0));
        r.timestamp = mask & 8 ? PackTimestamp({2031, 3, 14, 9, 26, 53}) : o.timestamp;
        BlockStatus want = 0;
        BlockStatus unordered = kHeaderRecord;
        for (const auto& [bit, status] : {std::pair{1, kUnitIdError}, {2, kFileNumberError},
                                         {4, kBlockOrderError}, {8, kTimestampError}}) {
            want |= mask & bit ? kIrregular | status : 0;
            unordered |= mask & bit & ~4 ? kIrregular | status : 0;
        }
        im2.m_block = synth::DataRecord(r, (mask & 4) ? 7 : 6);
        // Out of header mode the order is not judged; in it only the timestamp's validity
        // and the sums are.
        EXPECT_EQ(std::tuple(im2.CheckBlock(), im2.CheckBuffered(false), im2.CheckBuffered(true)),
                  std::tuple(want, unordered, kHeaderRecord));
    }
}

TEST(RecordCheck, EverySealedByteIsCoveredAndDecodeJudgesAsCheckBlock) {
    const synth::Im2Options o = OptionsFor(8, 1, 6);
    CIm2 im2 = StateFor(o);
    const Record good = synth::DataRecord(o, 0);
    ASSERT_EQ(std::get<BlockStatus>(DecodeRecord(im2, good)), 0u);
    EXPECT_EQ(ChecksumStatus(Record{}), 0u);   // the sums of nothing are zero
    for (std::size_t at = 0; at < kRecordSize; ++at) {
        // A changed key byte may cancel out of the block sum, never out of the trailer sum,
        // so every mask is tried on the trailer and three on the payload.
        const int step = at < kOffFileNumber ? 127 : 1;
        for (int mask = 1; mask < 256; mask += step) {
            SCOPED_TRACE(testing::Message() << "byte " << at << " mask " << mask);
            Record bad = good;
            bad[at] ^= static_cast<std::uint8_t>(mask);
            ASSERT_EQ(ChecksumStatus(bad), kBadSum);
            im2.m_block = bad;
            const BlockStatus checked = im2.CheckBlock();
            ASSERT_EQ(checked & kBadSum, kBadSum);
            ASSERT_EQ(checked, at < kOffFileNumber ? kBadSum : checked);
            ASSERT_EQ(std::get<BlockStatus>(DecodeRecord(im2, bad)), checked);
        }
    }
}

// The key runs on through the vectors; each width is checked, whichever this processor runs.
TEST(RecordCheck, BothVectorWidthsDecipherAndSumAsTheKeyRunsByteByByte) {
    std::mt19937 random(7);
    for (int round = 0; round < 64; ++round) {
        std::array<std::uint8_t, kPayloadSize> cipher{}, expected{}, wide{}, narrow{};
        for (auto& b : cipher)
            b = static_cast<std::uint8_t>(random());
        const auto start = static_cast<std::uint8_t>(random());
        std::uint8_t k = start;
        for (std::size_t i = 0; i < kPayloadSize; ++i) {
            expected[i] = cipher[i] ^ k;
            k = static_cast<std::uint8_t>(k + cipher[i]);
        }
        EXPECT_EQ(DecipherPayload(cipher.data(), wide.data(), start), k);
        EXPECT_EQ(DecipherPayloadNarrow(cipher.data(), narrow.data(), start), k);
        EXPECT_EQ(wide, expected);
        EXPECT_EQ(narrow, expected);
        EXPECT_EQ(PayloadSum(cipher.data()), static_cast<std::uint8_t>(k - start));
        EXPECT_EQ(PayloadSumNarrow(cipher.data()), static_cast<std::uint8_t>(k - start));
    }
}

TEST(RecordCheck, HeadersAndTheirBlocks) {
    // Why, the options, a broken header checksum; then the header's verdict, its status and
    // that of each of its blocks.
    const auto at = [](PackedTime t) { return synth::Im2Options{.timestamp = PackTimestamp(t)}; };
    const std::tuple<const char*, synth::Im2Options, bool, bool, BlockStatus, BlockStatus> kCases[] = {
        {"sound", {}, false, false, kHeaderRecord, 0}, {"broken checksum", {}, true, true, kHeaderRecord | kBadSum, 0},
        {"model code 0", {.modelCode = 0}, false, true, kHeaderRecord, 0},
        {"model code 255", {.modelCode = 255}, false, true, kHeaderRecord, 0},
        // An invalid timestamp fails every block that carries it, matching or not.
        {"month 13", at({2008, 13, 1, 0, 0, 0}), false, true, 0x84000010u, 0x80000010u},
        {"month 0", at({2008, 0, 14, 0, 0, 0}), false, true, 0x84000010u, 0x80000010u},
        {"day 0", at({2008, 3, 0, 0, 0, 0}), false, true, 0x84000010u, 0x80000010u},
        {"1 January", at({2000, 1, 1, 0, 0, 0}), false, false, kHeaderRecord, 0},
        {"31 December", at({2063, 12, 31, 23, 59, 59}), false, false, kHeaderRecord, 0},
        {"hour 31 is not judged", at({2008, 3, 1, 31, 63, 63}), false, false, kHeaderRecord, 0},
        {"index 0x7FFFFFF", {.statedBlocks = 0x8000000}, false, false, kHeaderRecord, 0},
        {"index 0x8000000", {.statedBlocks = 0x8000001}, false, true, kHeaderRecord, 0},
        {"index 0xFFFFFFFF", {.statedBlocks = 0}, false, true, kHeaderRecord, 0},
    };
    for (auto [why, o, brokenSum, bad, header, blocks] : kCases) {
        o.blocks = 2;
        const std::vector<synth::Fault> faults(brokenSum ? 1 : 0, {synth::FaultKind::BadHeader, 0});
        const synth::ImageVerdict v = synth::JudgeImage(synth::MakeIm2(o, faults));
        EXPECT_EQ(std::tuple(v.headerBad, v.header, v.blocks), std::tuple(bad, header, std::vector(2, blocks))) << why;
    }
}

TEST(Decode, HandWorkedRecordsOfEveryCode) {
    // Each record exercises its code's clamps, shift limits and channel order; the expected
    // values were worked out by hand from the code rules, first sixteen and last two.
    // The code's name, stored bits, channels and model code, the payload's first bytes and its
    // fill; the bytes decoded, the first sixteen samples and the last two.
    using Row = std::tuple<const char*, int, int, std::uint8_t, std::vector<int>, std::uint8_t, std::uint16_t,
                           std::vector<int>, std::vector<int>>;
    const Row kCases[] = {
        // Shift starts at 5; 128 lowers it, 255 raises it by 3 up to 6; the sum wraps at 16
        // bits before the clamp (-31050 becomes -8192).
        {"adaptive8_mono", 8, 1, 6, {0, 0, 128, 129, 128, 255, 255, 129, 128, 128, 128, 128, 128, 128, 128, 129, 0, 0, 0}, 0x80, 1022,
         {0, 0, 64, 32, 16272, -32768, -7992, -20380, -14188, -17288, -15740, -16516, -16132, -16328, -16228, -18308}, {10912, 10912}},
        // Initial samples limited twice: 20000 to 8191, -20000 to -8192; even bytes left.
        {"adaptive8_stereo", 8, 2, 6, {32, 78, 224, 177, 129, 255, 128, 128, 0, 255}, 0x80, 1020,
         {32764, -32768, 32764, 32128, 32760, -320, 312, 32764, 16536, 16220, 8424, 24488, 12480, 20352, 10452, 22420}, {11120, 21720}},
        {"differential8_mono", 8, 1, 4, {32, 78, 255, 0, 0, 128, 127, 200, 1}, 0x80, 1022,
         {32766, 32766, 16726, 686, 686, 684, 2094, -13270, -13270, -13270, -13270, -13270, -13270, -13270, -13270, -13270}, {-13270, -13270}},
        {"differential8_stereo", 8, 2, 4, {156, 255, 44, 1, 200, 50, 200, 50}, 0x80, 1020,
         {-200, 600, 1210, -1196, 2620, -2992, 2620, -2992, 2620, -2992, 2620, -2992, 2620, -2992, 2620, -2992}, {2620, -2992}},
        // 8-bit output: low nibble first, both for the one channel.
        {"adaptive4to8_mono", 4, 1, 37, {128, 248, 255, 0, 7, 143}, 0x88, 1023,
         {128, 128, 155, 255, 255, 0, 0, 96, 0, 255, 255, 128, 97, 153, 182, 162}, {160, 160}},
        // Two channels: d(0) and d(1) start them, then low nibble left, high right.
        {"adaptive4to8_stereo", 4, 2, 37, {100, 200, 240, 15, 141}, 0x88, 1022,
         {100, 200, 73, 227, 255, 18, 255, 0, 165, 101, 143, 135, 183, 93, 205, 66}, {189, 93}},
        {"step4_mono", 4, 1, 4, {232, 3, 255, 255, 255, 255, 0, 0}, 0x88, 2042,
         {2000, 2380, 8460, 32766, 32766, 32766, 32766, 32766, 32766, -32768, -32768, -32768, -32768, -32768, -32768, -32768}, {-32768, -32768}},
        // 12000 is emitted as 8191 x 4, but the predictor goes on from 12000: 12000 - 195 is
        // still above the limit, where 8191 - 195 would have given 31984.
        {"step4_stereo", 4, 2, 4, {224, 46, 32, 209, 240, 112, 7, 143, 225}, 0x88, 2036,
         {32764, -32768, 32764, -32768, 20284, -32768, 19260, -32768, 32764, -32768, -32768, -21120, -32768, -21120, -32768, -21120}, {-32768, -21120}},
        {"predictive4_mono", 4, 1, 6, {160, 15, 248, 15, 0, 119, 136}, 0x88, 2042,
         {16000, 16000, 17728, 25072, 12220, -8492, -21072, -14376, -6672, -8096, -12304, -12644, -10628, -9960, -10808, -11360}, {-14904, -14912}},
        {"predictive4_stereo", 4, 2, 103, {216, 220, 40, 35, 240, 15, 142}, 0x88, 2036,
         {-32768, 32764, -32768, 32764, -18944, 18932, -6784, 15468, -10656, 21512, -17704, 24748, -17532, 22528, -13968, 20352}, {-14816, 21616}},
    };
    for (const auto& [name, bits, channels, model, prefix, fill, bytes, first, last] : kCases) {
        SCOPED_TRACE(name);
        const synth::Im2Options o = OptionsFor(bits, channels, model);
        CIm2 im2 = StateFor(o);
        const auto [status, count, v] = DecodeRecord(im2, RecordOf(o, prefix, fill));
        ASSERT_EQ(std::tuple(status, count), std::tuple(0u, bytes));
        EXPECT_EQ(std::tuple(std::vector(v.begin(), v.begin() + 16), std::vector(v.end() - 2, v.end())),
                  std::tuple(first, last));
    }
}

TEST(Decode, TheDifferentialCodeNoModelNamesStillStepsByItsTable) {
    // No model code gives compression 3, so no record reaches it; its steps, worked by hand:
    // 20000 limited to 16383, then 1138 - 4097, 6963 - 4097, the limit, and 4097 - 4097; from
    // -20000, the limit twice, then 4105 - 4097 and 4273 - 4097.
    codec::Differential4 high, low;
    EXPECT_EQ((std::vector{high.Start(20000), high.Step(0), high.Step(15), high.Step(15), high.Step(8)}),
              (std::vector{32766, 26848, 32580, 32766, 32766}));
    EXPECT_EQ((std::vector{low.Start(-20000), low.Step(0), low.Step(9), low.Step(12)}),
              (std::vector{-32768, -32768, -32752, -32400}));
}

TEST(Decode, EightRecordsSideBySideGiveTheBytesOfOneAtATime) {
    if (!DecodesInLanes())
        GTEST_SKIP() << "this processor decodes one record at a time";
    std::mt19937 random(7);
    // The step-adaptive and predictive codes, one and two channels: random payloads drive
    // the shifts to both limits and the samples into both clamps; a run of one code holds them there.
    for (const auto& [model, channels] : {std::pair{4, 1}, {4, 2}, {6, 1}, {103, 2}}) {
        SCOPED_TRACE(testing::Message() << "model " << model << " x" << channels);
        const synth::Im2Options o = OptionsFor(4, channels, static_cast<std::uint8_t>(model));
        CIm2 im2 = StateFor(o);
        std::array<std::array<std::uint8_t, kPayloadSize>, kDecodeLanes> plains;
        std::array<std::array<std::uint8_t, kMaxDecodedBytes>, kDecodeLanes> one, eight;
        std::array<const std::uint8_t*, kDecodeLanes> payloads;
        std::array<std::uint8_t*, kDecodeLanes> outs;
        std::uint16_t count = 0;
        for (std::size_t j = 0; j < kDecodeLanes; ++j) {
            std::vector<int> prefix(kPayloadSize);
            std::ranges::generate(prefix, [&] { return static_cast<int>(random() % 256); });
            std::fill(prefix.begin() + 100 + 40 * j, prefix.begin() + 180 + 40 * j, j % 2 ? 0x00 : 0xFF);
            im2.m_block = RecordOf(o, prefix);
            ASSERT_EQ(im2.LaneCode(im2.m_block), model == 4 ? 4 : 6);
            ASSERT_EQ(im2.Decode(one[j], &count), im2.Decipher(plains[j].data()));
            payloads[j] = plains[j].data();
            outs[j] = eight[j].data();
        }
        ASSERT_EQ(DecodeCode4Lanes(payloads, model == 4 ? 4 : 6, channels, outs), count);
        for (std::size_t j = 0; j < kDecodeLanes; ++j)
            EXPECT_TRUE(std::equal(one[j].begin(), one[j].begin() + count, eight[j].begin())) << "lane " << j;
    }
    // Boost, and every other width, decode one record at a time.
    CIm2 boosted = StateFor(OptionsFor(4, 1, 4));
    boosted.m_dGain = 2.0;
    CIm2 eightBit = StateFor(OptionsFor(8, 1, 6));
    EXPECT_EQ(std::tuple(boosted.LaneCode(boosted.m_block), eightBit.LaneCode(eightBit.m_block)), std::tuple(0, 0));
}

TEST(Decode, GainScalesTruncatesTowardZeroAndClamps) {
    std::vector<int> plain16;
    for (int s : {20000, -20000, 16383, 16384, -16384, -16385, 100, -3, 3, 30000, -30000})
        plain16.insert(plain16.end(), {s & 0xFF, (s >> 8) & 0xFF});
    const synth::Im2Options o16;
    const synth::Im2Options o8 = OptionsFor(8, 1, 37);
    const std::tuple<bool, double, std::vector<int>> kCases[] = {
        {false, 1.0, {20000, -20000, 16383, 16384, -16384, -16385, 100, -3, 3, 30000, -30000}},
        // The limit is trunc(32768 / gain): 16384 at 2.0, so 20000 becomes 16383 x 2 = 32766.
        {false, 2.0, {32766, -32768, 32766, 32766, -32768, -32768, 200, -6, 6, 32766, -32768}},
        // Products are truncated toward zero: -1.5 gives -1.
        {false, 0.5, {10000, -10000, 8191, 8192, -8192, -8192, 50, -1, 1, 15000, -15000}},
        // 21845 at 1.5: 30000 becomes 21844 x 1.5 = 32766, -30000 becomes -32767.5, so -32767.
        {false, 1.5, {30000, -30000, 24574, 24576, -24576, -24577, 150, -4, 4, 32766, -32767}},
        {true, 1.0, {0, 64, 128, 129, 200, 255, 127}},
        {true, 2.0, {0, 0, 128, 130, 255, 255, 126}},
        // (127 - 128) x 0.5 is -0.5, truncated to 0: silence stays silence.
        {true, 0.5, {64, 96, 128, 128, 164, 191, 128}},
    };
    for (const auto& [eight, gain, want] : kCases) {
        SCOPED_TRACE(testing::Message() << (eight ? 8 : 16) << " bits x" << gain);
        CIm2 im2 = StateFor(eight ? o8 : o16);
        im2.m_dGain = gain;
        const auto [status, count, v] =
            DecodeRecord(im2, eight ? RecordOf(o8, {0, 64, 128, 129, 200, 255, 127}, 128) : RecordOf(o16, plain16));
        EXPECT_EQ(std::vector<int>(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(want.size())), want);
    }
}

TEST(Decode, ACodeThatFitsNoVariantKeepsItsTimeAsSilence) {
    // A 4-bit image whose record names plain 8-bit (compression 31) has no code to decode.
    const std::tuple<std::uint8_t, int, std::uint16_t, std::uint8_t> kCases[] = {
        {4, 1, 2042, 0x00}, {4, 2, 2036, 0x00}, {37, 1, 1023, 0x80}, {37, 2, 1022, 0x80}};
    for (const auto& [headerModel, channels, bytes, silence] : kCases) {
        SCOPED_TRACE(testing::Message() << "code " << int{headerModel} << " x" << channels);
        synth::Im2Options o = OptionsFor(4, channels, headerModel);
        CIm2 im2 = StateFor(o);
        o.modelCode = 31;
        im2.m_dGain = 2.0;
        im2.m_block = RecordOf(o, {1, 2, 3, 4, 5}, 0x37);
        std::array<std::uint8_t, kMaxDecodedBytes> out;
        out.fill(0x55);
        std::uint16_t count = 0;
        const BlockStatus status = im2.Decode(out, &count);
        EXPECT_EQ(std::tuple(status, count), std::tuple(0u, bytes));
        // Silence up to the count, and nothing past it touched.
        EXPECT_EQ(std::count(out.begin(), out.begin() + count, silence), count);
        EXPECT_TRUE(count == out.size() || out[count] == 0x55);
    }
}

}  // namespace
}  // namespace tvx

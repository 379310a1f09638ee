// Blocks to milliseconds and back, and the times derived from them.

#include "core_test_support.h"

#include "core/im2.h"

#include <gtest/gtest.h>

#include <limits>

namespace tvx {
namespace {

CIm2 StateFor(int storedBits, int channels, std::uint8_t model, int rateCode = 0) {
    synth::Im2Options o = test::OptionsFor(storedBits, channels, model);
    o.rateCode = rateCode;
    CIm2 im2;
    test::LoadState(im2, o);
    return im2;
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
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.name) + " x" + std::to_string(c.blocks));
        const CIm2 im2 = StateFor(c.bits, c.channels, c.model, c.rateCode);
        EXPECT_EQ(im2.BlocksToMs(c.blocks), c.ms);
    }
}

TEST(BlockTime, BlocksToMsStaysIn32Bits) {
    const CIm2 im2 = StateFor(4, 1, 4);
    // 16,000,000 records of 1,021 samples at 8 kHz: 2,042,000,000 ms still fits.
    EXPECT_EQ(im2.BlocksToMs(16000000), 2042000000);
    // Past 2^31 - 1 ms the unit's counter has no value; it reads as the lowest one.
    EXPECT_EQ(im2.BlocksToMs(17000000), std::numeric_limits<std::int32_t>::min());
    // The product of samples and records is taken in 64 bits before it is scaled.
    EXPECT_EQ(im2.BlocksToMs(std::uint64_t{1} << 40), std::numeric_limits<std::int32_t>::min());
}

TEST(BlockTime, MsToBlockIsTheNearestBlock) {
    const CIm2 c4 = StateFor(4, 1, 4);   // 1,021 samples a record at 8 kHz
    EXPECT_EQ(c4.MsToBlock(0), 0);
    EXPECT_EQ(c4.MsToBlock(63), 0);
    EXPECT_EQ(c4.MsToBlock(64), 1);
    EXPECT_EQ(c4.MsToBlock(12762), 100);
    EXPECT_EQ(c4.MsToBlock(3600000), 28208);

    const CIm2 pcm16 = StateFor(16, 1, 4);   // 256 samples
    EXPECT_EQ(pcm16.MsToBlock(15), 0);
    EXPECT_EQ(pcm16.MsToBlock(16), 1);
    const CIm2 stereo16 = StateFor(16, 2, 4, 2);   // 128 a channel at 16 kHz
    EXPECT_EQ(stereo16.MsToBlock(3), 0);
    EXPECT_EQ(stereo16.MsToBlock(4), 1);
    EXPECT_EQ(stereo16.MsToBlock(1000), 125);

    // 8-bit storage counts 511 samples a record here, one short of plain 8-bit's 512.
    const CIm2 raw8 = StateFor(8, 1, 31);
    EXPECT_EQ(raw8.MsToBlock(31), 0);
    EXPECT_EQ(raw8.MsToBlock(32), 1);
    EXPECT_EQ(raw8.MsToBlock(6388), 100);
    const CIm2 stereo4 = StateFor(4, 2, 4);   // ((256 - 2) x 4) / 2 + 1 = 509
    EXPECT_EQ(stereo4.MsToBlock(31), 0);
    EXPECT_EQ(stereo4.MsToBlock(32), 1);
}

TEST(BlockTime, UndefinedWidthCodesReadAsSixteen) {
    for (std::uint8_t widthCode = 2; widthCode <= 7; ++widthCode) {
        SCOPED_TRACE(static_cast<int>(widthCode));
        const auto formatByte = static_cast<std::uint8_t>(widthCode << 2);
        EXPECT_EQ(StoredBitsOf(formatByte), 16);
        synth::Im2Options o;
        Record header = synth::HeaderRecord(o);
        header[kOffFormatByte] = formatByte;
        synth::ResealSums(header);
        CIm2 im2;
        im2.m_block = header;
        im2.InitFromHeader();
        EXPECT_EQ(im2.m_nStoredBits, 16);
        EXPECT_EQ(im2.BlocksToMs(1000), 32000);
        EXPECT_EQ(im2.MsToBlock(32000), 1000);
        // The record decodes as plain 16-bit samples.
        const auto plain = test::PlainOf({}, 0);
        im2.m_block = test::RecordOf(o, plain);
        std::array<std::uint8_t, kMaxDecodedBytes> out{};
        std::uint16_t count = 0;
        im2.Decode(out, &count);
        EXPECT_EQ(count, 512);
    }
    EXPECT_EQ(StoredBitsOf(0x00), 4);
    EXPECT_EQ(StoredBitsOf(0x04), 8);
    EXPECT_EQ(StoredBitsOf(0xE3), 4);   // the unused top bits and the stereo bit stay out
    EXPECT_EQ(ChannelsOf(0xDF), 1);
    EXPECT_EQ(ChannelsOf(0x20), 2);
    EXPECT_EQ(SampleRateOf(0xFD), 11025);
}

TEST(BlockTime, StatedFilePlayedAndCalendarTimes) {
    synth::Im2Options o = test::OptionsFor(4, 1, 4);
    o.statedBlocks = 100;
    CIm2 im2;
    test::LoadState(im2, o);
    im2.SetFileLength(528 * 51);
    EXPECT_EQ(im2.StatedMs(), 12762);
    EXPECT_EQ(im2.FileMs(), 6381);
    EXPECT_EQ(FormatSpanHms(im2.StatedSpan()), "0:00:12");
    EXPECT_EQ(im2.StartTime().Format("%a, %d %b %Y, %H:%M:%S"), "Fri, 14 Mar 2008, 09:26:53");

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
    struct Case {
        PackedTime packed;
        const char* text;
    };
    const Case kCases[] = {
        // Month or day out of range: the zero time, which prints as the epoch.
        {{2008, 13, 14, 9, 26, 53}, "Sat, 30 Dec 1899, 00:00:00"},
        {{2008, 3, 0, 9, 26, 53}, "Sat, 30 Dec 1899, 00:00:00"},
        // Valid for the record, outside the calendar for the clock.
        {{2008, 3, 14, 24, 0, 0}, "Invalid DateTime"},
        {{2008, 3, 14, 9, 60, 0}, "Invalid DateTime"},
        {{2008, 2, 31, 9, 0, 0}, "Invalid DateTime"},
        {{2063, 12, 31, 23, 59, 59}, "Mon, 31 Dec 2063, 23:59:59"},
        {{2000, 1, 1, 0, 0, 0}, "Sat, 01 Jan 2000, 00:00:00"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.text);
        synth::Im2Options o;
        o.timestamp = PackTimestamp(c.packed);
        CIm2 im2;
        test::LoadState(im2, o);
        EXPECT_EQ(im2.StartTime().Format("%a, %d %b %Y, %H:%M:%S"), c.text);
    }
}

}  // namespace
}  // namespace tvx

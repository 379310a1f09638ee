#include "formats/im2/convert_im2.h"

#include "export_support.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tvx {
namespace {

using synth::Fault;
using synth::FaultKind;

struct Converted {
    ConvertResult result;
    std::vector<std::uint8_t> data;   // the WAV data of all segments, joined
    std::vector<std::uint32_t> segmentBytes;
    std::vector<std::string> texts;
    std::vector<std::string> hookCalls;
};

Converted ConvertImage(const std::vector<std::uint8_t>& image, std::uint16_t megabytes,
                       std::uint16_t minutes, bool readAhead = true, int cancelAt = 0) {
    test::TempDir dir;
    EXPECT_TRUE(synth::WriteBytes(dir / "F00012.IM2", image));
    ::mkdir((dir / "out").c_str(), 0755);
    test::RecordingHooks hooks;
    hooks.cancelWhen = [cancelAt](int polls) { return polls == cancelAt; };
    Converted c;
    c.result = ConvertIm2({dir / "F00012.IM2", dir / "out", megabytes, minutes}, hooks,
                          PassOptions{readAhead});
    for (std::uint32_t k = 0; k < c.result.segments; ++k) {
        const std::string stem = dir / ("out/F00012.0" + std::to_string(k));
        const std::vector<std::uint8_t> wav = test::ReadBytes(stem + ".wav");
        EXPECT_EQ(test::Le32(wav, 40), wav.size() - 44) << "segment " << k;
        EXPECT_EQ(test::Le32(wav, 4), wav.size() - 8) << "segment " << k;
        c.data.insert(c.data.end(), wav.begin() + 44, wav.end());
        c.segmentBytes.push_back(test::Le32(wav, 40));
        c.texts.push_back(test::ReadText(stem + ".txt"));
    }
    EXPECT_EQ(test::FolderEntries(dir / "out").size(), 2u * c.result.segments);
    c.hookCalls = hooks.calls;
    return c;
}

std::string LineWith(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    return at == std::string::npos ? "" : text.substr(at, text.find('\r', at) - at);
}

TEST(ConvertSegments, FiveMinutesOf16BitMonoAreExactly4800000Bytes) {
    const auto image = synth::MakeIm2({.storedBits = 16, .blocks = 20000});
    const Converted c = ConvertImage(image, 0, 5);
    ASSERT_EQ(c.result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(c.segmentBytes, (std::vector<std::uint32_t>{4'800'000, 4'800'000, 640'000}));
    EXPECT_EQ(c.data, test::DecodeAll(image));
    EXPECT_EQ(LineWith(c.texts[0], "WAV Segment Length"), "WAV Segment Length: 0:05:00");
    EXPECT_EQ(LineWith(c.texts[2], "WAV Segment Start"), "WAV Segment Start Time: 2008/03/14 09:36:53");
    EXPECT_EQ(LineWith(c.texts[2], "Samples Per"), "Samples Per Channel: 320000");
}

TEST(ConvertSegments, ABlockCrossingOneMegabyteIsCutByteExactly) {
    // 4-bit mono: 2,042 bytes a block, so the 514th block straddles 1,048,576.
    const auto image = synth::MakeIm2({.storedBits = 4, .blocks = 1100});
    const Converted c = ConvertImage(image, 1, 0);
    ASSERT_EQ(c.result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(c.segmentBytes, (std::vector<std::uint32_t>{1'048'576, 1'048'576, 149'048}));
    EXPECT_EQ(c.data, test::DecodeAll(image));
}

TEST(ConvertSegments, SegmentStartsAddTheWholeSecondsOfEarlierSegments) {
    // 1 MiB at 16,000 bytes a second is 65.536 s: each later segment starts 65 s on.
    const Converted c = ConvertImage(synth::MakeIm2({.storedBits = 16, .blocks = 4200}), 1, 0);
    ASSERT_EQ(c.texts.size(), 3u);
    const char* starts[] = {"09:26:53", "09:27:58", "09:29:03"};
    for (std::size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(LineWith(c.texts[k], "WAV Segment Start"),
                  std::string("WAV Segment Start Time: 2008/03/14 ") + starts[k]);
        EXPECT_EQ(LineWith(c.texts[k], "Recording Start"), "Recording Start Time: 2008/03/14 09:26:53");
        EXPECT_EQ(LineWith(c.texts[k], "Creating"), "Creating File: F00012.0" + std::to_string(k) + ".wav");
    }
    EXPECT_EQ(LineWith(c.texts[0], "WAV Segment Length"), "WAV Segment Length: 0:01:05");
}

TEST(ConvertSegments, WithoutALimitEverythingGoesIntoOneSegment) {
    const auto image = synth::MakeIm2(
        {.storedBits = 8, .channels = 2, .rateCode = 3, .modelCode = 6, .blocks = 3000});
    const Converted c = ConvertImage(image, 0, 0);
    ASSERT_EQ(c.result.segments, 1u);
    EXPECT_EQ(c.data, test::DecodeAll(image));
    EXPECT_EQ(LineWith(c.texts[0], "Sample Rate"), "Sample Rate: 22,050 Hz");
    EXPECT_EQ(LineWith(c.texts[0], "Bits Per"), "Bits Per Sample: 8");
    EXPECT_EQ(LineWith(c.texts[0], "Channels"), "Channels: 2");
}

TEST(ConvertSegments, ReadingAheadChangesNothingThatAnyoneSees) {
    struct Case {
        const char* name;
        synth::Im2Options options;
        std::vector<Fault> faults;
        std::uint16_t megabytes;
        int cancelAt;
    };
    // Block counts around the worker's pieces of 128 records.
    const Case cases[] = {
        {"cut and split", {.storedBits = 4, .blocks = 1100},
         {{FaultKind::TruncateLast, 300}, {FaultKind::PayloadByte, 7}, {FaultKind::BlockOrder, 600}}, 1, 0},
        {"128 present, 129 stated", {.storedBits = 16, .blocks = 128, .statedBlocks = 129}, {}, 0, 0},
        {"129 cut", {.storedBits = 16, .blocks = 129}, {{FaultKind::TruncateLast, 0}}, 0, 0},
        {"256 of 300", {.storedBits = 16, .blocks = 300, .statedBlocks = 256}, {}, 0, 0},
        {"bad header", {.storedBits = 8, .modelCode = 37, .blocks = 257}, {{FaultKind::BadHeader}}, 0, 0},
        {"cancelled", {.storedBits = 16, .blocks = 3000}, {{FaultKind::Timestamp, 999}}, 1, 2500},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const auto image = synth::MakeIm2(k.options, k.faults);
        const Converted plain = ConvertImage(image, k.megabytes, 0, false, k.cancelAt);
        const Converted ahead = ConvertImage(image, k.megabytes, 0, true, k.cancelAt);
        EXPECT_EQ(plain.result.outcome,
                  k.cancelAt ? ConvertOutcome::Cancelled : ConvertOutcome::Completed);
        EXPECT_EQ(ahead.result.outcome, plain.result.outcome);
        EXPECT_EQ(ahead.result.blocks, plain.result.blocks);
        EXPECT_EQ(ahead.result.irregularBlocks, plain.result.irregularBlocks);
        EXPECT_EQ(ahead.data, plain.data);
        EXPECT_EQ(ahead.texts, plain.texts);
        EXPECT_EQ(ahead.hookCalls, plain.hookCalls);
    }
}

}  // namespace
}  // namespace tvx

// The three conversions, judged on what they write: WAV bytes against the decoded recording,
// summary texts, the segments' cuts and names, and what an earlier run or a failure leaves.
#include "core/format.h"
#include "export_support.h"
#include "formats/im2/convert_im2.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tvx {
namespace {

using synth::Fault;
using synth::FaultKind;
using synth::ImgFault;
using synth::ImgFaultKind;
using test::Le32;
using test::ReadBytes;
using test::ReadText;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

const std::string kRule(61, '-');

std::string Heading(const std::string& format, const std::string& wav) {
    return kRule + "\r\r\nWAV CONVERSION SUMMARY\r\r\n\r\r\n" + format + " Encrypted File: YES\r\r\n\r\r\n"
           "Decrypting...\r\r\nCreating File: " + wav + "\r\r\n";
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

synth::Ix2Options Split(bool chain, std::uint32_t blocks = 60) {
    synth::Ix2Options o;
    o.audio = {.storedBits = 16, .blocks = blocks};
    o.splitFirst = 100;
    o.recordingLast = 5000;
    o.chain = chain;
    return o;
}

// The decoded audio of a split's blocks, from an IM2 image of the whole recording.
Bytes SplitAudio(const synth::Ix2Options& o, const std::vector<Fault>& faults = {}) {
    synth::Im2Options whole = o.audio;
    whole.blocks = o.splitFirst + o.audio.blocks;
    std::vector<Fault> shifted;
    for (const Fault& f : faults)
        shifted.push_back({f.kind, f.block + o.splitFirst});
    const Bytes all = test::DecodeAll(synth::MakeIm2(whole, shifted));
    return {all.begin() + o.splitFirst * 512, all.end()};
}

Bytes Joined(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class ConvertTest : public ::testing::Test {
protected:
    void Make(const std::string& name, const Bytes& image) {
        m_name = name;
        m_image = image;
        ASSERT_TRUE(synth::WriteBytes(Source(), m_image));
    }
    std::string Source() const { return m_dir / m_name; }
    std::string Stem() const { return m_name.substr(0, m_name.size() - 4); }
    std::string Out(const std::string& file = "") const { return m_dir / ("out/" + file); }
    std::string Segment(unsigned k, const char* ext) const { return Out(Format("%s.%02u.%s", Stem().c_str(), k, ext)); }

    ConvertResult Convert(std::uint16_t megabytes = 0, std::uint16_t minutes = 0) {
        ::mkdir(Out().c_str(), 0755);
        m_hooks.calls.clear();
        const ConvertResult result = test::ConvertAny({Source(), m_dir / "out", megabytes, minutes}, m_hooks);
        EXPECT_EQ(ReadBytes(Source()), m_image) << "the source image changed";
        return result;
    }

    test::TempDir m_dir;
    std::string m_name;
    Bytes m_image;
    test::RecordingHooks m_hooks;
};

TEST_F(ConvertTest, CleanImagesMakeOneWavOfTheirAudioAndItsSummary) {
    const std::string counts = "Unit ID Errors: 0\r\nFile Number Errors: 0\r\nBlock Order Errors: 0\r\n";
    const std::string tail = "Total Irregular Blocks: 0\r\n(Total Time Irregular: 0.00 s)\r\n\r\r\n" + kRule + "\r\r\n";
    const std::string note = "* NOTE: Recording lengths accurate to 3 seconds per Hour.\r\n";
    const std::string completed = "Decryption Completed.\r\n" + kRule + "\r\r\n\r\r\n";
    const Bytes im2 = synth::MakeIm2({.storedBits = 16, .blocks = 4});
    const Bytes img = synth::MakeImg({.bits = 8, .records = 20, .erased = 5});
    Bytes imgAudio;   // record 1 is the header; the erased tail is not audio
    for (std::size_t n = 2; n <= 20; ++n)
        imgAudio.insert(imgAudio.end(), img.begin() + (n - 1) * 528, img.begin() + (n - 1) * 528 + 512);
    struct Case {
        std::string name;
        Bytes image, audio;
        std::uint64_t blocks;
        std::string text;
    };
    const Case cases[] = {
        {"F00012.IM2", im2, test::DecodeAll(im2), 4,
         Heading("IM2", "F00012.00.wav") + completed + "IM2 / IX2 DECRYPTION SUMMARY\r\r\n"
         "Unit ID: QM-04242\r\nAudio Image Number: 12\r\nRecording Start Time: 2008/03/14 09:26:53\r\n"
         "Recording Length:  0:00:00\r\nWAV Segment Start Time: 2008/03/14 09:26:53\r\n"
         "WAV Segment Length: 0:00:00\r\nSample Rate: 8,000 Hz\r\nBits Per Sample: 16\r\nChannels: 1\r\n"
         "Samples Per Channel: 1024\r\n" + counts +
         "Timestamp Errors: 0\r\nBlock Checksum Errors: 0\r\n" + tail + note},
        {"F00012.IX2", synth::MakeIx2(Split(false)), SplitAudio(Split(false)), 60,
         Heading("IX2", "F00012.00.wav") + completed + "IM2 / IX2 DECRYPTION SUMMARY\r\r\n"
         "Unit ID: QM-04242\r\nAudio Image Number: 12\r\nRecording Start Time: 2008/03/14 09:26:53\r\n"
         "Recording Length:  0:02:40\r\nIX2 Split Start Time: 2008/03/14 09:26:56\r\n"
         "IX2 Split Length: 0:00:01\r\nWAV Segment Start Time: 2008/03/14 09:26:56\r\n"
         "WAV Segment Length: 0:00:01\r\nSample Rate: 8,000 Hz\r\nBits Per Sample: 16\r\nChannels: 1\r\n"
         "Samples Per Channel: 15360\r\n" + counts +
         "Timestamp Errors: 0\r\nBlock Checksum Errors: 0\r\n" + tail + note},
        {"V00007.IMG", img, imgAudio, 19,
         Heading("IMG", "V00007.00.wav") + completed + "IMG DECRYPTION SUMMARY\r\r\n"
         "Unit ID: 1A2B\r\nAudio Image Number: 7\r\nRecording Length:  0:00:01\r\n"
         "WAV Segment Length: 0:00:01\r\nSample Rate: 8,000 Hz\r\nBits Per Sample: 8\r\nChannels: 1\r\n"
         "Samples Per Channel: 9728\r\n" + counts +
         "Block Checksum Errors: 0\r\nVoice Image Checksum Errors: 0\r\n" + tail},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make(c.name, c.image);
        const ConvertResult result = Convert();
        EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
        EXPECT_EQ(result.segments, 1u);
        EXPECT_EQ(result.blocks, c.blocks);
        EXPECT_EQ(result.irregularBlocks, 0u);
        EXPECT_EQ(result.files, (Lines{Segment(0, "wav"), Segment(0, "txt")}));
        EXPECT_EQ(test::FolderEntries(Out()), (Lines{Stem() + ".00.txt", Stem() + ".00.wav", Stem() + ".sha256"}));
        EXPECT_EQ(test::WavData(Segment(0, "wav")), c.audio);
        EXPECT_EQ(ReadText(Segment(0, "txt")), c.text);
        ::unlink(Segment(0, "wav").c_str());
        ::unlink(Segment(0, "txt").c_str());
        ::unlink(Out(Stem() + ".sha256").c_str());
    }
    Make("F00012.IM2", im2);
    Convert();
    EXPECT_EQ(m_hooks.calls, (Lines{"SetMessage(Decrypting: F00012.IM2\r\n)", "SetRange(1000)", "Wait",
                                    "SetPos(0)", "Show", "Pump", "SetPos(250)", "Poll", "Pump",
                                    "SetPos(500)", "Poll", "Pump", "SetPos(750)", "Poll", "Pump",
                                    "SetPos(1000)", "Poll", "SetPos(1000)", "EndWait", "Hide"}));
    const Bytes header = {'R', 'I', 'F', 'F', 0x24, 8, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                          16, 0, 0, 0, 1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0,
                          2, 0, 16, 0, 'd', 'a', 't', 'a', 0, 8, 0, 0};
    const Bytes wav = ReadBytes(Segment(0, "wav"));
    EXPECT_EQ(Bytes(wav.begin(), wav.begin() + 44), header);
    Make("V00007.IMG", img);
    Convert();
    const Bytes imgWav = ReadBytes(Segment(0, "wav"));
    EXPECT_EQ(test::Le16(imgWav, 22), 1);   // mono
    EXPECT_EQ(Le32(imgWav, 24), 8000u);
    EXPECT_EQ(test::Le16(imgWav, 34), 8);   // bits
}

TEST_F(ConvertTest, FaultsGetErrorLinesAndCounts) {
    {
        SCOPED_TRACE("IM2");
        Make("F00012.IM2", synth::MakeIm2({.storedBits = 16, .blocks = 20},
                                          std::vector<Fault>{{FaultKind::PayloadByte, 3}, {FaultKind::UnitNumber, 5},
                                                             {FaultKind::FileNumber, 7}, {FaultKind::BlockOrder, 9},
                                                             {FaultKind::Timestamp, 12}}));
        const ConvertResult result = Convert();
        EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
        EXPECT_EQ(result.blocks, 20u);
        EXPECT_EQ(result.irregularBlocks, 6u);
        const Lines lines = test::LinesOf(ReadText(Segment(0, "txt")));
        ASSERT_EQ(lines.size(), 37u);
        // The unit and file shown are the header's; the index is the record's own.
        const std::string e = " ERROR: Unable to decode UNIT:QM-04242 FILE:00012 INDEX:";
        EXPECT_EQ(Lines(lines.begin() + 7, lines.begin() + 14),
                  (Lines{e + "3\r", e + "5\r", e + "7\r", e + "10\r", e + "9\r", e + "12\r",
                         "Decryption Completed.\r"}));
        EXPECT_EQ(Lines(lines.begin() + 27, lines.begin() + 34),
                  (Lines{"Unit ID Errors: 1\r", "File Number Errors: 1\r", "Block Order Errors: 2\r",
                         "Timestamp Errors: 1\r", "Block Checksum Errors: 1\r",
                         "Total Irregular Blocks: 6\r", "(Total Time Irregular: 0.19 s)\r"}));
        EXPECT_EQ(test::WavData(Segment(0, "wav")), test::DecodeAll(m_image));
    }
    {
        SCOPED_TRACE("IX2: a chain writes what the plain split of the same audio writes");
        const std::vector<Fault> faults = {{FaultKind::PayloadByte, 3}, {FaultKind::BlockOrder, 31},
                                           {FaultKind::UnitNumber, 40}};
        Make("F00012.IX2", synth::MakeIx2(Split(false), faults));
        m_hooks.answer = true;
        ASSERT_EQ(Convert().outcome, ConvertOutcome::Completed);
        const std::string plainText = ReadText(Segment(0, "txt"));
        const Bytes plainWav = ReadBytes(Segment(0, "wav"));
        Make("F00012.IX2", synth::MakeIx2(Split(true), faults));
        const ConvertResult result = Convert();
        EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
        EXPECT_EQ(result.irregularBlocks, 4u);
        EXPECT_EQ(ReadText(Segment(0, "txt")), plainText);
        EXPECT_EQ(ReadBytes(Segment(0, "wav")), plainWav);
        EXPECT_EQ(test::WavData(Segment(0, "wav")), SplitAudio(Split(true), faults));
        // The block numbers printed are the recording's, as the blocks carry them.
        const std::string e = " ERROR: Unable to decode UNIT:QM-04242 FILE:00012 INDEX:";
        EXPECT_TRUE(Has(plainText, e + "103\r\n"));
        EXPECT_TRUE(Has(plainText, e + "132\r\n" + e + "131\r\n"));
    }
    {
        SCOPED_TRACE("IMG");
        Make("V00007.IMG", synth::MakeImg({.bits = 5, .records = 12},
                                          std::vector<ImgFault>{{ImgFaultKind::VoiceChecksum, 4}, {ImgFaultKind::RecordIndex, 6},
                                                                {ImgFaultKind::UnitId, 8}, {ImgFaultKind::BlockChecksum, 9},
                                                                {ImgFaultKind::SampleCount, 11}}));
        const ConvertResult result = Convert();
        EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
        EXPECT_EQ(result.irregularBlocks, 4u);
        const std::string text = ReadText(Segment(0, "txt"));
        const std::string e = " ERROR: Unable to decode UNIT:1A2B FILE:00007 INDEX:";
        EXPECT_TRUE(Has(text, e + "4\r\n" + e + "7\r\n" + e + "8\r\n" + e + "9\r\nDecryption Completed.")) << text;
        // A broken block sum keeps the block out of the running sum, so its record fails that too.
        EXPECT_TRUE(Has(text, "Unit ID Errors: 1\r\nFile Number Errors: 0\r\nBlock Order Errors: 1\r\n"
                              "Block Checksum Errors: 1\r\nVoice Image Checksum Errors: 2\r\n"
                              "Total Irregular Blocks: 4\r\n")) << text;
        // A record that does not decode to the count it states is silence, and says nothing.
        const Bytes data = test::WavData(Segment(0, "wav"));
        ASSERT_EQ(data.size(), 11u * 817);
        EXPECT_TRUE(std::all_of(data.begin() + 9 * 817, data.begin() + 10 * 817, [](std::uint8_t b) { return b == 128; }));
        EXPECT_EQ(Bytes(data.begin(), data.begin() + 817), synth::ImgSamples({.bits = 5}, 2));
    }
}

TEST_F(ConvertTest, TheHeaderAndTheFileLengthDecideTheBlocksRead) {
    const synth::Im2Options im2{.storedBits = 16, .blocks = 20};
    const Bytes all = test::DecodeAll(synth::MakeIm2(im2));
    const auto first = [&all](std::size_t blocks) { return Bytes(all.begin(), all.begin() + blocks * 512); };
    synth::Ix2Options indexOnly = Split(false);
    indexOnly.cutTo = 1000;
    synth::Ix2Options unnamed = Split(true);
    unnamed.matchingEntry = false;   // the split's end is what index block 0 itself says
    synth::Ix2Options cut = Split(true);   // 60 inner blocks in 62 outer blocks
    cut.cutTo = 128 + 528 * 65 - 100;
    // The cut outer block is deciphered over stale bytes: its last inner block is garbage,
    // reported, and every block before it is right.
    const Bytes chainAudio = SplitAudio(cut);
    struct Case {
        const char* what;
        std::string name;
        Bytes image;
        std::uint64_t blocks, irregular;
        int pumps;   // a cut record and the end of the file each take a turn of the loop
        Bytes audio;   // of the blocks before the last
    };
    const Case cases[] = {
        {"cut last record", "F00012.IM2", synth::MakeIm2(im2, std::vector<Fault>{{FaultKind::TruncateLast, 0}}), 19, 0, 21, first(19)},
        {"fewer stated", "F00012.IM2", synth::MakeIm2({.storedBits = 16, .blocks = 20, .statedBlocks = 12}), 12, 0, 12, first(12)},
        {"more stated", "F00012.IM2", synth::MakeIm2({.storedBits = 16, .blocks = 20, .statedBlocks = 30}), 20, 0, 21, first(20)},
        {"index blocks only", "F00012.IX2", synth::MakeIx2(indexOnly), 0, 0, -1, {}},
        {"chain without its entry", "F00012.IX2", synth::MakeIx2(unnamed), 60, 0, -1, SplitAudio(unnamed)},
        {"chain cut in its last outer block", "F00012.IX2", synth::MakeIx2(cut), 60, 1, -1,
         Bytes(chainAudio.begin(), chainAudio.end() - 512)},
        {"nothing ever written", "V00007.IMG", synth::MakeImg({.records = 0, .erased = 6}), 0, 0, -1, {}},
    };
    m_hooks.answer = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Make(c.name, c.image);
        m_hooks.pumps = m_hooks.polls = 0;
        const ConvertResult result = Convert();
        EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
        EXPECT_EQ(result.blocks, c.blocks);
        EXPECT_EQ(result.irregularBlocks, c.irregular);
        if (c.pumps >= 0) {
            EXPECT_EQ(m_hooks.pumps, c.pumps);
            EXPECT_EQ(m_hooks.polls, c.pumps);
        }
        const Bytes wav = ReadBytes(Segment(0, "wav"));
        ASSERT_EQ(wav.size(), 44 + c.blocks * 512);
        EXPECT_TRUE(std::equal(c.audio.begin(), c.audio.end(), wav.begin() + 44));
        EXPECT_TRUE(Has(ReadText(Segment(0, "txt")), "Decryption Completed.\r\n"));
    }
}

TEST_F(ConvertTest, ABadHeaderOrIndexBlockIsReportedInTheFirstSegmentOnly) {
    synth::Ix2Options brokenIndex = Split(false, 2100);
    brokenIndex.brokenIndexBlock = 2;
    struct Case {
        std::string name;
        Bytes image;
        const char* line;
    };
    for (const Case& c : {Case{"F00012.IM2", synth::MakeIm2({.storedBits = 16, .blocks = 2100},
                                                            std::vector<Fault>{{FaultKind::BadHeader}}),
                               " ERROR: Unable to decode HEADER:0\r"},
                          Case{"F00012.IX2", synth::MakeIx2(brokenIndex), " ERROR: Unable to decode HEADER:2\r"}}) {
        SCOPED_TRACE(c.name);
        Make(c.name, c.image);
        m_hooks.answer = true;
        const ConvertResult result = Convert(1);
        EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
        EXPECT_EQ(result.segments, 2u);
        EXPECT_EQ(result.irregularBlocks, 1u);
        const std::string first = ReadText(Segment(0, "txt"));
        const std::string second = ReadText(Segment(1, "txt"));
        EXPECT_EQ(test::LinesOf(first)[7], c.line);
        EXPECT_EQ(test::LinesOf(second)[7], "Decryption Completed.\r");
        EXPECT_TRUE(Has(first, "Block Checksum Errors: 1\r\nTotal Irregular Blocks: 1\r\n"));
        EXPECT_TRUE(Has(second, "Block Checksum Errors: 0\r\nTotal Irregular Blocks: 0\r\n"));
    }
}

struct Converted {
    ConvertResult result;
    Bytes data;   // the WAV data of all segments, joined
    std::vector<std::uint32_t> segmentBytes;
    Lines texts, hookCalls;
};

Converted ConvertInto(const std::string& name, const Bytes& image, std::uint16_t megabytes,
                      std::uint16_t minutes, bool readAhead = true, int cancelAt = 0) {
    test::TempDir dir;
    EXPECT_TRUE(synth::WriteBytes(dir / name, image));
    ::mkdir((dir / "out").c_str(), 0755);
    test::RecordingHooks hooks;
    hooks.cancelWhen = [cancelAt](int polls) { return polls == cancelAt; };
    Converted c;
    const ConvertRequest request{dir / name, dir / "out", megabytes, minutes};
    c.result = name.ends_with(".IM2") ? ConvertIm2(request, hooks, PassOptions{readAhead})
                                      : test::ConvertAny(request, hooks);
    for (std::uint32_t k = 0; k < c.result.segments; ++k) {
        const std::string stem = dir / Format("out/%s.%02u", name.substr(0, 6).c_str(), k);
        const Bytes wav = ReadBytes(stem + ".wav");
        EXPECT_EQ(Le32(wav, 40), wav.size() - 44) << "segment " << k;
        EXPECT_EQ(Le32(wav, 4), wav.size() - 8) << "segment " << k;
        c.data.insert(c.data.end(), wav.begin() + 44, wav.end());
        c.segmentBytes.push_back(Le32(wav, 40));
        c.texts.push_back(ReadText(stem + ".txt"));
    }
    EXPECT_EQ(test::FolderEntries(dir / "out").size(),
              2u * c.result.segments + (c.result.outcome == ConvertOutcome::Completed));   // + manifest
    c.hookCalls = hooks.calls;
    return c;
}

TEST(ConvertSegments, EachSegmentIsCutByteExactlyAndStartsWhereTheEarlierEnded) {
    const Bytes fiveMinutes = synth::MakeIm2({.storedBits = 16, .blocks = 20000});
    // 4-bit mono: 2,042 bytes a block, so the 514th block straddles 1,048,576.
    const Bytes fourBit = synth::MakeIm2({.storedBits = 4, .blocks = 1100});
    const Bytes stereo = synth::MakeIm2({.storedBits = 8, .channels = 2, .rateCode = 3, .modelCode = 6, .blocks = 3000});
    const synth::ImgOptions oneHertz{.bits = 5, .sampleRate = 1, .records = 3};
    struct Case {
        const char* what;
        std::string name;
        Bytes image;
        std::uint16_t megabytes, minutes;
        std::vector<std::uint32_t> sizes;
        Bytes audio;            // empty: not compared
        Lines lines;            // "k:line" found in segment k's text
    };
    const Case cases[] = {
        {"five minutes of 16-bit mono", "F00012.IM2", fiveMinutes, 0, 5, {4'800'000, 4'800'000, 640'000},
         test::DecodeAll(fiveMinutes),
         {"0WAV Segment Length: 0:05:00", "2WAV Segment Start Time: 2008/03/14 09:36:53",
          "2Samples Per Channel: 320000"}},
        {"a block crossing 1 MiB", "F00012.IM2", fourBit, 1, 0, {1'048'576, 1'048'576, 149'048},
         test::DecodeAll(fourBit), {}},
        // 1 MiB at 16,000 bytes a second is 65.536 s: each later segment starts 65 s on.
        {"whole seconds of earlier segments", "F00012.IM2", synth::MakeIm2({.storedBits = 16, .blocks = 4200}),
         1, 0, {1'048'576, 1'048'576, 4200 * 512 - 2'097'152}, {},
         {"0WAV Segment Start Time: 2008/03/14 09:26:53", "1WAV Segment Start Time: 2008/03/14 09:27:58",
          "2WAV Segment Start Time: 2008/03/14 09:29:03", "2Recording Start Time: 2008/03/14 09:26:53",
          "2Creating File: F00012.02.wav", "0WAV Segment Length: 0:01:05"}},
        {"no limit", "F00012.IM2", stereo, 0, 0, {}, test::DecodeAll(stereo),
         {"0Sample Rate: 22,050 Hz", "0Bits Per Sample: 8", "0Channels: 2"}},
        {"a split", "F00012.IX2", synth::MakeIx2(Split(false, 2100)), 1, 0, {1'048'576, 2100 * 512 - 1'048'576},
         SplitAudio(Split(false, 2100)), {"1WAV Segment Start Time: 2008/03/14 09:28:01"}},
        {"minutes of 5-bit IMG", "V00007.IMG", synth::MakeImg({.bits = 5, .records = 1300}), 0, 1,
         {480'000, 480'000, 1299 * 817 - 960'000}, {}, {"1WAV Segment Length: 0:01:00"}},
        {"an IMG rate of zero gives no time to cut by", "V00007.IMG",
         synth::MakeImg({.bits = 8, .sampleRate = 0, .records = 4}), 0, 1, {3 * 512}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Converted got = ConvertInto(c.name, c.image, c.megabytes, c.minutes);
        ASSERT_EQ(got.result.outcome, ConvertOutcome::Completed);
        if (!c.sizes.empty()) {
            EXPECT_EQ(got.segmentBytes, c.sizes);
        } else {
            EXPECT_EQ(got.result.segments, 1u);
        }
        if (!c.audio.empty()) {
            EXPECT_EQ(got.data, c.audio);
        }
        for (const std::string& line : c.lines)
            EXPECT_TRUE(Has(got.texts.at(line[0] - '0'), line.substr(1) + "\r")) << line;
    }
    // Record 1 names 1 Hz: a minute is 60 bytes, so each 817-byte record fills several
    // segments; found by fuzzing, when the second cut of one block wrote from past its end.
    const Converted slow = ConvertInto("V00007.IMG", synth::MakeImg(oneHertz), 0, 1);
    ASSERT_EQ(slow.result.segments, 28u);   // 2 x 817 = 27 x 60 + 14
    EXPECT_EQ(slow.segmentBytes.back(), 14u);
    EXPECT_EQ(std::count(slow.segmentBytes.begin(), slow.segmentBytes.end(), 60u), 27);
    EXPECT_EQ(slow.data, Joined(synth::ImgSamples(oneHertz, 2), synth::ImgSamples(oneHertz, 3)));
    for (const std::string& text : slow.texts)
        EXPECT_TRUE(Has(text, "Decryption Completed.\r\n"));
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
        const Bytes image = synth::MakeIm2(k.options, k.faults);
        const Converted plain = ConvertInto("F00012.IM2", image, k.megabytes, 0, false, k.cancelAt);
        const Converted ahead = ConvertInto("F00012.IM2", image, k.megabytes, 0, true, k.cancelAt);
        EXPECT_EQ(plain.result.outcome, k.cancelAt ? ConvertOutcome::Cancelled : ConvertOutcome::Completed);
        EXPECT_EQ(ahead.result.outcome, plain.result.outcome);
        EXPECT_EQ(ahead.result.blocks, plain.result.blocks);
        EXPECT_EQ(ahead.result.irregularBlocks, plain.result.irregularBlocks);
        EXPECT_EQ(ahead.data, plain.data);
        EXPECT_EQ(ahead.texts, plain.texts);
        EXPECT_EQ(ahead.hookCalls, plain.hookCalls);
    }
}

TEST_F(ConvertTest, AnEarlierRunIsAskedAboutAndReplacedAsAWhole) {
    // Two segments of 1 MiB now; an earlier run with a smaller limit left five. Names that
    // only look like segments of this conversion belong to no run of it and stay.
    Make("F00012.IM2", synth::MakeIm2({.storedBits = 16, .blocks = 2100}));
    ::mkdir(Out().c_str(), 0755);
    const Bytes old = {1, 2, 3};
    const Lines strangers = {"F00012.00", "F00012.00.wav.bak", "F00012.007.txt", "F00012.02.WAV",
                             "F00012.7.wav", "G00012.00.wav"};
    for (const std::string& name : strangers)
        ASSERT_TRUE(synth::WriteBytes(Out(name), old));

    // Only a higher segment of the earlier run is left, and that is enough to ask.
    ASSERT_TRUE(synth::WriteBytes(Out("F00012.03.txt"), old));
    const ConvertResult declined = Convert(1);
    EXPECT_EQ(declined.outcome, ConvertOutcome::Declined);
    EXPECT_EQ(declined.error.path, Out("F00012.03.txt"));
    EXPECT_TRUE(declined.files.empty());
    EXPECT_EQ(m_hooks.calls, Lines{"Ask(Tessivox|The file: " + Out("F00012.03.txt") +
                                   " already exists. Overwrite and recreate its (.Txt) file?)"});
    EXPECT_EQ(test::FolderEntries(Out()).size(), strangers.size() + 1);

    for (const char* name : {"F00012.00.wav", "F00012.00.txt", "F00012.01.wav", "F00012.01.txt",
                             "F00012.02.wav", "F00012.04.wav"})
        ASSERT_TRUE(synth::WriteBytes(Out(name), old));
    const ConvertResult again = Convert(1);
    EXPECT_EQ(again.outcome, ConvertOutcome::Declined);
    EXPECT_EQ(again.error.path, Out("F00012.00.wav"));   // the question names the first segment
    EXPECT_EQ(test::FolderEntries(Out()).size(), strangers.size() + 7);

    m_hooks.answer = true;
    const ConvertResult replaced = Convert(1);
    EXPECT_EQ(replaced.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(replaced.segments, 2u);
    EXPECT_EQ(m_hooks.questions, 3);   // one a run
    Lines expected = strangers;
    expected.insert(expected.end(), {"F00012.00.txt", "F00012.00.wav", "F00012.01.txt", "F00012.01.wav",
                                     "F00012.sha256"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::FolderEntries(Out()), expected);
    for (const std::string& name : strangers)
        EXPECT_EQ(ReadBytes(Out(name)), old) << name;
    EXPECT_EQ(test::WavData(Out("F00012.01.wav")).size(), 52u * 512);
}

// Only new files, never through a link: a name that cannot go is told before anyone is asked,
// and a run refused leaves the folder as it found it.
TEST_F(ConvertTest, NoSegmentIsWrittenThroughALinkOrOverAnotherRunsFile) {
    Make("F00012.IM2", synth::MakeIm2({.storedBits = 16, .blocks = 2100}));   // two segments of 1 MiB
    const std::string victim = m_dir / "other.wav", elsewhere = m_dir / "made-elsewhere.txt";
    const Bytes theirs = {9, 8, 7};
    ASSERT_TRUE(synth::WriteBytes(victim, theirs));
    using Maker = std::function<void(const std::string& folder)>;
    const auto linkTo = [](std::string target, std::string name) -> Maker {
        return [=](const std::string& folder) { ASSERT_EQ(::symlink(target.c_str(), (folder + name).c_str()), 0); };
    };
    const auto file = [&theirs](std::string name) -> Maker {
        return [=](const std::string& folder) { ASSERT_TRUE(synth::WriteBytes(folder + name, theirs)); };
    };
    const std::string image = Source();
    struct Case {
        const char* what;
        Maker before, during;
        int atPoll;   // when `during` runs: -1 as the progress shows, before any file
        std::string name;
        const char* why;
        ConvertOutcome outcome;
    };
    const Case cases[] = {
        // The summary beside it must not be lost to the attempt, Yes or not.
        {"the earlier run's first WAV is now a folder",
         [&](const std::string& f) { ::mkdir((f + "F00012.00.wav").c_str(), 0755); file("F00012.00.txt")(f); file("F00012.01.wav")(f); },
         nullptr, 0, "F00012.00.wav", "Is a directory", ConvertOutcome::NotStarted},
        // A link at a later segment's name once led the audio into another recording's file.
        {"link to another file", linkTo(victim, "F00012.01.wav"), nullptr, 0, "F00012.01.wav", "Is a symbolic link",
         ConvertOutcome::NotStarted},
        {"link to no file yet", linkTo(elsewhere, "F00012.01.txt"), nullptr, 0, "F00012.01.txt", "Is a symbolic link",
         ConvertOutcome::NotStarted},
        {"hard link to the image", [image](const std::string& f) { ASSERT_EQ(::link(image.c_str(), (f + "F00012.01.txt").c_str()), 0); },
         nullptr, 0, "F00012.01.txt", "Is the recording image itself", ConvertOutcome::NotStarted},
        // Another conversion passed the same check a moment earlier and made the first segment
        // between this run's check and its first file.
        {"first name taken meanwhile", nullptr, file("F00012.00.wav"), -1, "F00012.00.wav", "", ConvertOutcome::NotStarted},
        // Segment 0 is finished before the name of segment 1 is refused.
        {"link made during the run", nullptr, linkTo(victim, "F00012.01.wav"), 100, "F00012.01.wav", "Is a symbolic link",
         ConvertOutcome::Cancelled},
    };
    m_hooks.answer = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir out;   // a fresh folder for every case
        if (c.before)
            c.before(out / "");
        Lines expected = test::FolderEntries(out / "");
        m_hooks.onShow = [&] {
            if (c.atPoll < 0)
                c.during(out / "");
        };
        m_hooks.cancelWhen = [&](int polls) {
            if (polls == c.atPoll)
                c.during(out / "");
            return false;
        };
        m_hooks.questions = 0;
        const ConvertResult result = ConvertIm2({Source(), out / "", 1, 0}, m_hooks);
        m_hooks.onShow = nullptr;
        m_hooks.cancelWhen = nullptr;

        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_TRUE(result.outputFailed);
        EXPECT_EQ(result.error.path, out / c.name);
        EXPECT_TRUE(DescribeError(result.error).starts_with(c.why)) << DescribeError(result.error);
        EXPECT_EQ(ReadBytes(victim), theirs);
        EXPECT_EQ(ReadBytes(Source()), m_image);
        EXPECT_EQ(::access(elsewhere.c_str(), F_OK), -1);
        if (c.outcome == ConvertOutcome::Cancelled) {
            EXPECT_EQ(result.files, (Lines{out / "F00012.00.wav", out / "F00012.00.txt"}));
            continue;
        }
        EXPECT_EQ(m_hooks.questions, 0);
        if (c.atPoll < 0)
            expected.push_back(c.name);
        EXPECT_EQ(test::FolderEntries(out / ""), expected);
        for (const std::string& name : expected) {
            const std::filesystem::path at = out / name;
            if (std::filesystem::is_regular_file(std::filesystem::symlink_status(at)) &&
                std::filesystem::hard_link_count(at) == 1) {
                EXPECT_EQ(ReadBytes(at), theirs) << name;
            }
        }
    }
}

TEST_F(ConvertTest, CancelEndsTheSegmentWithoutASummaryAndWithHonestSizes) {
    struct Case {
        std::string name;
        Bytes image;
        int cancelAt;
    };
    // 1 MiB segments of 2,048 blocks: the IM2 image's third begins with block 4,096.
    const Case cases[] = {
        {"F00012.IM2", synth::MakeIm2({.storedBits = 16, .blocks = 5000}, std::vector<Fault>{{FaultKind::PayloadByte, 4150}}), 4200},
        {"F00012.IX2", synth::MakeIx2(Split(true, 200)), 50},
        {"V00007.IMG", synth::MakeImg({.bits = 8, .records = 100}), 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make(c.name, c.image);
        m_hooks.cancelWhen = [&c](int polls) { return polls == c.cancelAt; };
        m_hooks.polls = 0;
        const ConvertResult result = Convert(1);
        EXPECT_EQ(result.outcome, ConvertOutcome::Cancelled);
        EXPECT_EQ(m_hooks.polls, c.cancelAt);
        const unsigned last = result.segments - 1;
        const std::string text = ReadText(Segment(last, "txt"));
        EXPECT_TRUE(text.ends_with("Decryption Cancelled.\r\n")) << text;
        EXPECT_FALSE(Has(text, "SUMMARY\r\r\nUnit"));
        const Bytes wav = ReadBytes(Segment(last, "wav"));
        EXPECT_EQ(Le32(wav, 40) + 44, wav.size());
        EXPECT_EQ(Le32(wav, 4) + 8, wav.size());
        EXPECT_EQ(test::FolderEntries(Out()).size(), 2 * result.segments);
        if (c.name.ends_with(".IM2")) {
            EXPECT_EQ(result.blocks, 4200u);
            EXPECT_EQ(result.segments, 3u);
            for (const unsigned done : {0u, 1u}) {
                const std::string earlier = ReadText(Segment(done, "txt"));
                EXPECT_TRUE(Has(earlier, "Decryption Completed.\r\n" + kRule)) << done;
                EXPECT_TRUE(earlier.ends_with("3 seconds per Hour.\r\n")) << done;
            }
            EXPECT_EQ(text, Heading("IM2", "F00012.02.wav") +
                                " ERROR: Unable to decode UNIT:QM-04242 FILE:00012 INDEX:4150\r\nDecryption Cancelled.\r\n");
            const Bytes all = test::DecodeAll(m_image);
            EXPECT_EQ(test::WavData(Segment(2, "wav")), Bytes(all.begin() + 4096 * 512, all.begin() + 4200 * 512));
        }
        std::filesystem::remove_all(Out());
    }
}

TEST_F(ConvertTest, ASourceOrDestinationThatCannotBeOpenedWritesNothing) {
    for (const char* name : {"F00012.IM2", "F00012.IX2", "V00007.IMG"}) {
        SCOPED_TRACE(name);
        m_name = name;
        const ConvertResult noSource = Convert();
        EXPECT_EQ(noSource.outcome, ConvertOutcome::NotStarted);
        EXPECT_EQ(noSource.error.path, Source());
        EXPECT_EQ(noSource.error.cause, Cause::NotFound);
        EXPECT_TRUE(test::FolderEntries(Out()).empty());
    }
    EXPECT_EQ(m_hooks.calls, (Lines{"SetMessage(Decrypting: V00007.IMG\r\n)", "SetRange(1000)", "Wait",
                                    "EndWait", "Hide"}));

    Make("F00012.IM2", synth::MakeIm2({.storedBits = 16, .blocks = 10}));
    const ConvertResult noFolder = ConvertIm2({Source(), m_dir / "absent", 0, 0}, m_hooks);
    EXPECT_EQ(noFolder.outcome, ConvertOutcome::NotStarted);
    EXPECT_EQ(noFolder.error.cause, Cause::NotFound);
    EXPECT_EQ(noFolder.error.path, m_dir / "absent/F00012.00.wav");
    EXPECT_TRUE(noFolder.files.empty());

    // No text file can be made: the WAV already created stays an empty 44-byte file.
    m_hooks.onShow = [&] { ::mkdir(Out("F00012.00.txt").c_str(), 0755); };
    const ConvertResult noText = Convert();
    EXPECT_EQ(noText.outcome, ConvertOutcome::NotStarted);
    EXPECT_EQ(noText.error.path, Out("F00012.00.txt"));
    EXPECT_EQ(m_hooks.pumps, 0);
    const Bytes wav = ReadBytes(Out("F00012.00.wav"));
    ASSERT_EQ(wav.size(), 44u);
    EXPECT_EQ(Le32(wav, 4), 36u);
    EXPECT_EQ(Le32(wav, 40), 0u);
}

TEST_F(ConvertTest, AFullDiskCancelsWithHonestSizesAndNoHalfSummary) {
    // 4-bit mono, 2,042 bytes a block; plain writes go out in runs of 129 blocks. At 1,048,000
    // bytes the disk fills inside the cut of the block crossing 1 MiB; at 600,000 inside the
    // third run of plain writes, whose failure used to go unnoticed and leave a short segment
    // that read as complete. At 600 there is room for one block of 16-bit audio and the
    // heading, not for the summary.
    struct Case {
        synth::Im2Options image;
        std::uint64_t fileLimit, blocks, wavBytes;
        const char* failed;
    };
    for (const Case& c : {Case{{.storedBits = 4, .blocks = 700}, 1'048'000, 513, 1'048'000, "F00012.00.wav"},
                          Case{{.storedBits = 4, .blocks = 700}, 600'000, 386, 600'000, "F00012.00.wav"},
                          Case{{.storedBits = 16, .blocks = 1}, 600, 1, 556, "F00012.00.txt"}}) {
        SCOPED_TRACE(c.fileLimit);
        Make("F00012.IM2", synth::MakeIm2(c.image));
        m_hooks.answer = true;   // each case writes over the one before
        ConvertResult result;
        {
            const test::FileSizeLimit limit(c.fileLimit);
            result = Convert(1);
        }
        EXPECT_EQ(result.outcome, ConvertOutcome::Cancelled);
        EXPECT_EQ(result.error.cause, Cause::DiskFull);
        EXPECT_EQ(result.error.path, Out(c.failed));
        EXPECT_EQ(result.blocks, c.blocks);
        EXPECT_EQ(ReadText(Out("F00012.00.txt")), Heading("IM2", "F00012.00.wav") + "Decryption Cancelled.\r\n");
        const Bytes wav = ReadBytes(Out("F00012.00.wav"));
        ASSERT_EQ(wav.size(), c.wavBytes);
        EXPECT_EQ(Le32(wav, 4), c.wavBytes - 8);
        EXPECT_EQ(Le32(wav, 40), c.wavBytes - 44);
        EXPECT_TRUE(std::equal(wav.begin() + 44, wav.end(), test::DecodeAll(m_image).begin()));
        EXPECT_EQ(test::FolderEntries(Out()).size(), 2u);
    }
}

}  // namespace
}  // namespace tvx

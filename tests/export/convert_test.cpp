// The three conversions, judged on what they write: WAV bytes against the decoded recording,
// summary texts, the segments' cuts and names, and what an earlier run or a failure leaves.
#include "core/bytes.h"
#include "core/format.h"
#include "formats/home_of.h"
#include "formats/im2/convert_im2.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tvx {
namespace {

using synth::Fault;
using synth::FaultKind;
using synth::ImgFaultKind;
using test::ReadBytes;
using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;
using Ending = std::tuple<ConvertOutcome, std::uint64_t, std::uint64_t>;   // blocks, irregular ones
constexpr auto kCompleted = ConvertOutcome::Completed;

const std::string kRule(61, '-');
const std::string kError = " ERROR: Unable to decode UNIT:QM-04242 FILE:00012 INDEX:";

std::string Heading(const std::string& format, const std::string& wav) {
    return kRule + "\r\r\nWAV CONVERSION SUMMARY\r\r\n\r\r\n" + format + " Encrypted File: YES\r\r\n\r\r\n"
           "Decrypting...\r\r\nCreating File: " + wav + "\r\r\n";
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

Ending Ended(const ConvertResult& r) { return {r.outcome, r.blocks, r.irregularBlocks}; }

synth::Ix2Options Split(bool chain, std::uint32_t blocks = 60, synth::Im2Options audio = {}) {
    audio.blocks = blocks;
    return {.audio = audio, .chain = chain, .splitFirst = 100, .recordingLast = 5000};
}

// The decoded audio of a split's blocks, from an IM2 image of the whole recording.
Bytes SplitAudio(const synth::Ix2Options& o, const std::vector<Fault>& faults = {}) {
    synth::Im2Options whole = o.audio;
    whole.blocks = o.splitFirst + o.audio.blocks;
    std::vector<Fault> shifted;
    for (const Fault& f : faults)
        shifted.push_back({f.kind, f.block + o.splitFirst});
    const Bytes all = test::DecodeAll(synth::MakeIm2(whole, shifted));
    const std::size_t perBlock = all.size() / whole.blocks;
    return {all.begin() + static_cast<std::ptrdiff_t>(o.splitFirst * perBlock), all.end()};
}

struct Converted {
    ConvertResult result;
    Bytes data;                         // the WAV data of all segments, joined
    std::vector<std::uint32_t> sizes;   // each segment's data bytes
    Lines texts, calls;                 // each segment's text; the hooks' calls
};

class ConvertTest : public ::testing::Test {
protected:
    // Writes the image and empties the output folder.
    void Make(const std::string& name, const Bytes& image) {
        m_name = name;
        m_image = image;
        ASSERT_TRUE(synth::WriteBytes(Source(), m_image));
        std::filesystem::remove_all(Out());
        std::filesystem::create_directories(Out());
    }
    std::string Source() const { return m_dir / m_name; }
    std::string Out(const std::string& file = "") const { return m_dir / ("out/" + file); }
    std::string Segment(unsigned k, const char* ext) const {
        return Out(Format("%s.%02u.%s", m_name.substr(0, 6).c_str(), k, ext));
    }

    // Every segment a started run leaves, finished or cut short, states the sizes it holds.
    Converted Convert(std::uint16_t megabytes = 0, std::uint16_t minutes = 0, bool readAhead = true) {
        m_hooks.calls.clear();
        m_hooks.pumps = m_hooks.polls = 0;
        const ConvertRequest request{Source(), Out(), megabytes, minutes};
        Converted c;
        c.result = m_name.ends_with(".IM2") ? ConvertIm2(request, m_hooks, PassOptions{readAhead})
                                            : HomeFor(Source()).Convert(request, m_hooks);
        EXPECT_EQ(ReadBytes(Source()), m_image) << "the source image changed";
        for (unsigned k = 0; c.result.outcome != ConvertOutcome::NotStarted && k < c.result.segments; ++k) {
            const Bytes wav = ReadBytes(Segment(k, "wav"));
            if (wav.size() < 44) {
                ADD_FAILURE() << "segment " << k << " has no header";
                continue;
            }
            EXPECT_EQ(LoadLe32(wav, 4), wav.size() - 8) << k;
            EXPECT_EQ(LoadLe32(wav, 40), wav.size() - 44) << k;
            c.data.insert(c.data.end(), wav.begin() + 44, wav.end());
            c.sizes.push_back(LoadLe32(wav, 40));
            c.texts.push_back(test::ReadText(Segment(k, "txt")));
        }
        c.calls = m_hooks.calls;
        return c;
    }

    test::TempDir m_dir;
    std::string m_name;
    Bytes m_image;
    test::RecordingHooks m_hooks;
};

TEST_F(ConvertTest, CleanImagesMakeOneWavOfTheirAudioAndItsSummary) {
    const std::string counts = "Unit ID Errors: 0\r\nFile Number Errors: 0\r\nBlock Order Errors: 0\r\n";
    const std::string tail = "Total Irregular Blocks: 0\r\n(Total Time Irregular: 0.00 s)\r\n\r\r\n" + kRule + "\r\r\n";
    const std::string done = "Decryption Completed.\r\n" + kRule + "\r\r\n\r\r\n";
    const std::string note = "* NOTE: Recording lengths accurate to 3 seconds per Hour.\r\n";
    const std::string im2Head = done + "IM2 / IX2 DECRYPTION SUMMARY\r\r\nUnit ID: QM-04242\r\nAudio Image Number: 12\r\n"
                                "Recording Start Time: 2008/03/14 09:26:53\r\n";
    const std::string mono16 = "Sample Rate: 8,000 Hz\r\nBits Per Sample: 16\r\nChannels: 1\r\n";
    const std::string im2Tail = counts + "Timestamp Errors: 0\r\nBlock Checksum Errors: 0\r\n" + tail + note;
    const Bytes im2 = synth::MakeIm2({.blocks = 4});
    const synth::ImgOptions img{.records = 20, .erased = 5};
    // The name, the image and its audio, the blocks, the WAV's rate and width, the summary.
    const std::tuple<std::string, Bytes, Bytes, std::uint64_t, std::uint32_t, std::uint16_t, std::string> cases[] = {
        // Record 1 is the header; the erased tail is not audio.
        {"V00007.IMG", synth::MakeImg(img), test::ImgAudio(img, 2, 20), 19, 8000, 8,
         Heading("IMG", "V00007.00.wav") + done + "IMG DECRYPTION SUMMARY\r\r\nUnit ID: 1A2B\r\nAudio Image Number: 7\r\n"
         "Recording Length:  0:00:01\r\nWAV Segment Length: 0:00:01\r\nSample Rate: 8,000 Hz\r\nBits Per Sample: 8\r\n"
         "Channels: 1\r\nSamples Per Channel: 9728\r\n" + counts + "Block Checksum Errors: 0\r\n"
         "Voice Image Checksum Errors: 0\r\n" + tail},
        {"F00012.IX2", synth::MakeIx2(Split(false)), SplitAudio(Split(false)), 60, 8000, 16,
         Heading("IX2", "F00012.00.wav") + im2Head + "Recording Length:  0:02:40\r\n"
         "IX2 Split Start Time: 2008/03/14 09:26:56\r\nIX2 Split Length: 0:00:01\r\n"
         "WAV Segment Start Time: 2008/03/14 09:26:56\r\nWAV Segment Length: 0:00:01\r\n" + mono16 +
         "Samples Per Channel: 15360\r\n" + im2Tail},
        {"F00012.IM2", im2, test::DecodeAll(im2), 4, 8000, 16,
         Heading("IM2", "F00012.00.wav") + im2Head + "Recording Length:  0:00:00\r\n"
         "WAV Segment Start Time: 2008/03/14 09:26:53\r\nWAV Segment Length: 0:00:00\r\n" + mono16 +
         "Samples Per Channel: 1024\r\n" + im2Tail},
    };
    Converted got;
    for (const auto& [name, image, audio, blocks, rate, bits, text] : cases) {
        SCOPED_TRACE(name);
        Make(name, image);
        got = Convert();
        EXPECT_EQ(Ended(got.result), (Ending{kCompleted, blocks, 0}));
        EXPECT_EQ(got.result.files, (Lines{Segment(0, "wav"), Segment(0, "txt")}));
        EXPECT_EQ(test::FolderEntries(Out()).size(), 3u);   // and the manifest
        EXPECT_EQ(got.data, audio);
        EXPECT_EQ(got.texts, Lines{text});
        const Bytes wav = ReadBytes(Segment(0, "wav"));
        EXPECT_EQ(std::tuple(LoadLe16(wav, 22), LoadLe32(wav, 24), LoadLe16(wav, 34)),
                  std::tuple(std::uint16_t{1}, rate, bits));
    }
    EXPECT_EQ(got.calls, (Lines{"SetMessage(Decrypting: F00012.IM2\r\n)", "SetRange(1000)", "Wait", "SetPos(0)", "Show",
                                "Pump", "SetPos(250)", "Poll", "Pump", "SetPos(500)", "Poll", "Pump", "SetPos(750)",
                                "Poll", "Pump", "SetPos(1000)", "Poll", "SetPos(1000)", "EndWait", "Hide"}));
}

TEST_F(ConvertTest, FaultsGetErrorLinesAndCounts) {
    {
        SCOPED_TRACE("IM2");
        Make("F00012.IM2", synth::MakeIm2({}, std::vector<Fault>{{FaultKind::PayloadByte, 3}, {FaultKind::UnitNumber, 5},
                                                                 {FaultKind::FileNumber, 7}, {FaultKind::BlockOrder, 9},
                                                                 {FaultKind::Timestamp, 12}}));
        const Converted got = Convert();
        EXPECT_EQ(Ended(got.result), (Ending{kCompleted, 20, 6}));
        const Lines lines = test::LinesOf(got.texts.at(0));
        ASSERT_EQ(lines.size(), 37u);
        // The unit and file shown are the header's; the index is the record's own.
        EXPECT_EQ(Lines(lines.begin() + 7, lines.begin() + 14), (Lines{kError + "3\r", kError + "5\r", kError + "7\r",
                                                                       kError + "10\r", kError + "9\r", kError + "12\r",
                                                                       "Decryption Completed.\r"}));
        EXPECT_EQ(Lines(lines.begin() + 27, lines.begin() + 34),
                  (Lines{"Unit ID Errors: 1\r", "File Number Errors: 1\r", "Block Order Errors: 2\r",
                         "Timestamp Errors: 1\r", "Block Checksum Errors: 1\r", "Total Irregular Blocks: 6\r",
                         "(Total Time Irregular: 0.19 s)\r"}));
        EXPECT_EQ(got.data, test::DecodeAll(m_image));
    }
    // 16-bit audio, and 4-bit stereo that decodes eight blocks side by side where it can:
    // groups with faulty blocks in them, and four blocks after the last whole group.
    const synth::Im2Options code4{.storedBits = 4, .channels = 2,
                                  .modelCode = *synth::ModelCodeForCompression(6)};
    for (const synth::Im2Options& audio : {synth::Im2Options{}, code4}) {
        SCOPED_TRACE("IX2: a chain writes what the plain split of the same audio writes, bits " +
                     std::to_string(audio.storedBits));
        const std::vector<Fault> faults = {{FaultKind::PayloadByte, 3}, {FaultKind::BlockOrder, 31},
                                           {FaultKind::UnitNumber, 40}};
        Make("F00012.IX2", synth::MakeIx2(Split(false, 60, audio), faults));
        const Converted plain = Convert();
        Make("F00012.IX2", synth::MakeIx2(Split(true, 60, audio), faults));
        const Converted chain = Convert();
        EXPECT_EQ(Ended(chain.result), (Ending{kCompleted, 60, 4}));
        EXPECT_EQ(chain.texts, plain.texts);
        EXPECT_EQ(chain.data, plain.data);
        EXPECT_EQ(chain.data, SplitAudio(Split(true, 60, audio), faults));
        // The block numbers printed are the recording's, as the blocks carry them.
        EXPECT_TRUE(Has(plain.texts.at(0), kError + "103\r\n"));
        EXPECT_TRUE(Has(plain.texts.at(0), kError + "132\r\n" + kError + "131\r\n"));
    }
    SCOPED_TRACE("IMG");
    const synth::ImgFault imgFaults[] = {{ImgFaultKind::VoiceChecksum, 4}, {ImgFaultKind::RecordIndex, 6},
                                         {ImgFaultKind::UnitId, 8}, {ImgFaultKind::BlockChecksum, 9},
                                         {ImgFaultKind::SampleCount, 11}};
    Make("V00007.IMG", synth::MakeImg({.bits = 5, .records = 12}, imgFaults));
    const Converted got = Convert();
    EXPECT_EQ(Ended(got.result), (Ending{kCompleted, 11, 4}));
    const std::string text = got.texts.at(0), e = " ERROR: Unable to decode UNIT:1A2B FILE:00007 INDEX:";
    EXPECT_TRUE(Has(text, e + "4\r\n" + e + "7\r\n" + e + "8\r\n" + e + "9\r\nDecryption Completed.")) << text;
    // A broken block sum keeps the block out of the running sum, so its record fails that too.
    EXPECT_TRUE(Has(text, "Unit ID Errors: 1\r\nFile Number Errors: 0\r\nBlock Order Errors: 1\r\n"
                          "Block Checksum Errors: 1\r\nVoice Image Checksum Errors: 2\r\nTotal Irregular Blocks: 4\r\n"));
    // A record that does not decode to the count it states is silence, and says nothing.
    ASSERT_EQ(got.data.size(), 11u * 817);
    EXPECT_EQ(Bytes(got.data.begin() + 9 * 817, got.data.begin() + 10 * 817), Bytes(817, 128));
    EXPECT_EQ(Bytes(got.data.begin(), got.data.begin() + 817), synth::ImgSamples({.bits = 5}, 2));
}

TEST_F(ConvertTest, TheHeaderAndTheFileLengthDecideTheBlocksRead) {
    const Bytes all = test::DecodeAll(synth::MakeIm2({}));
    const auto first = [&all](std::size_t blocks) { return Bytes(all.begin(), all.begin() + blocks * 512); };
    synth::Ix2Options indexOnly = Split(false), unnamed = Split(true), cut = Split(true);
    indexOnly.cutTo = 1000;
    unnamed.matchingEntry = false;   // the split's end is what index block 0 itself says
    cut.cutTo = 128 + 528 * 65 - 100;   // 60 inner blocks in 62 outer blocks
    // The cut outer block is deciphered over stale bytes: its last inner block is garbage,
    // reported, and every block before it is right.
    const Bytes chainAudio = SplitAudio(cut);
    // Why, the name and the image; the blocks, the irregular ones, the pumps (a cut record and
    // the end of the file each take a turn of the loop; -1: not counted), the audio of the
    // blocks before the last.
    const std::tuple<const char*, std::string, Bytes, std::uint64_t, std::uint64_t, int, Bytes> cases[] = {
        {"cut last record", "F00012.IM2", synth::MakeIm2({}, std::vector<Fault>{{FaultKind::TruncateLast, 0}}), 19, 0, 21, first(19)},
        {"fewer stated", "F00012.IM2", synth::MakeIm2({.statedBlocks = 12}), 12, 0, 12, first(12)},
        {"more stated", "F00012.IM2", synth::MakeIm2({.statedBlocks = 30}), 20, 0, 21, first(20)},
        {"index blocks only", "F00012.IX2", synth::MakeIx2(indexOnly), 0, 0, -1, {}},
        {"chain without its entry", "F00012.IX2", synth::MakeIx2(unnamed), 60, 0, -1, SplitAudio(unnamed)},
        {"chain cut in its last outer block", "F00012.IX2", synth::MakeIx2(cut), 60, 1, -1,
         Bytes(chainAudio.begin(), chainAudio.end() - 512)},
        {"nothing ever written", "V00007.IMG", synth::MakeImg({.records = 0, .erased = 6}), 0, 0, -1, {}},
    };
    for (const auto& [what, name, image, blocks, irregular, pumps, audio] : cases) {
        SCOPED_TRACE(what);
        Make(name, image);
        const Converted got = Convert();
        EXPECT_EQ(Ended(got.result), (Ending{kCompleted, blocks, irregular}));
        if (pumps >= 0) {
            EXPECT_EQ(std::pair(m_hooks.pumps, m_hooks.polls), std::pair(pumps, pumps));
        }
        ASSERT_EQ(got.data.size(), blocks * 512);
        EXPECT_TRUE(std::equal(audio.begin(), audio.end(), got.data.begin()));
        EXPECT_TRUE(Has(got.texts.at(0), "Decryption Completed.\r\n"));
    }
}

TEST_F(ConvertTest, ABadHeaderOrIndexBlockIsReportedInTheFirstSegmentOnly) {
    synth::Ix2Options brokenIndex = Split(false, 2100);
    brokenIndex.brokenIndexBlock = 2;
    const std::tuple<std::string, Bytes, std::string> cases[] = {
        {"F00012.IM2", synth::MakeIm2({.blocks = 2100}, std::vector<Fault>{{FaultKind::BadHeader}}), "HEADER:0\r"},
        {"F00012.IX2", synth::MakeIx2(brokenIndex), "HEADER:2\r"}};
    for (const auto& [name, image, line] : cases) {
        SCOPED_TRACE(name);
        Make(name, image);
        const Converted got = Convert(1);
        EXPECT_EQ(Ended(got.result), (Ending{kCompleted, 2100, 1}));
        ASSERT_EQ(got.texts.size(), 2u);
        EXPECT_EQ(test::LinesOf(got.texts[0])[7], " ERROR: Unable to decode " + line);
        EXPECT_EQ(test::LinesOf(got.texts[1])[7], "Decryption Completed.\r");
        EXPECT_TRUE(Has(got.texts[0], "Block Checksum Errors: 1\r\nTotal Irregular Blocks: 1\r\n"));
        EXPECT_TRUE(Has(got.texts[1], "Block Checksum Errors: 0\r\nTotal Irregular Blocks: 0\r\n"));
    }
}

TEST_F(ConvertTest, EachSegmentIsCutByteExactlyAndStartsWhereTheEarlierEnded) {
    const Bytes fiveMinutes = synth::MakeIm2({.blocks = 20000});
    // 4-bit mono: 2,042 bytes a block, so the 514th block straddles 1,048,576.
    const Bytes fourBit = synth::MakeIm2({.storedBits = 4, .blocks = 1100});
    const synth::Im2Options stereo{.storedBits = 8, .channels = 2, .rateCode = 3, .modelCode = 6, .blocks = 3000};
    const Bytes stereoAudio = test::DecodeAll(synth::MakeIm2(stereo));
    // Why, the name and the image, the limits; each segment's data bytes, the audio (empty: not
    // compared) and "kline" found in segment k's text.
    const std::tuple<const char*, std::string, Bytes, std::uint16_t, std::uint16_t, std::vector<std::uint32_t>, Bytes,
                     Lines> cases[] = {
        {"five minutes of 16-bit mono", "F00012.IM2", fiveMinutes, 0, 5, {4'800'000, 4'800'000, 640'000},
         test::DecodeAll(fiveMinutes),
         {"0WAV Segment Length: 0:05:00", "2WAV Segment Start Time: 2008/03/14 09:36:53", "2Samples Per Channel: 320000"}},
        {"a block crossing 1 MiB", "F00012.IM2", fourBit, 1, 0, {1'048'576, 1'048'576, 149'048}, test::DecodeAll(fourBit), {}},
        // 1 MiB at 16,000 bytes a second is 65.536 s: each later segment starts 65 s on.
        {"whole seconds of earlier segments", "F00012.IM2", synth::MakeIm2({.blocks = 4200}), 1, 0,
         {1'048'576, 1'048'576, 4200 * 512 - 2'097'152}, {},
         {"0WAV Segment Start Time: 2008/03/14 09:26:53", "1WAV Segment Start Time: 2008/03/14 09:27:58",
          "2WAV Segment Start Time: 2008/03/14 09:29:03", "2Recording Start Time: 2008/03/14 09:26:53",
          "2Creating File: F00012.02.wav", "0WAV Segment Length: 0:01:05"}},
        {"no limit", "F00012.IM2", synth::MakeIm2(stereo), 0, 0, {static_cast<std::uint32_t>(stereoAudio.size())}, stereoAudio,
         {"0Sample Rate: 22,050 Hz", "0Bits Per Sample: 8", "0Channels: 2"}},
        {"a split", "F00012.IX2", synth::MakeIx2(Split(false, 2100)), 1, 0, {1'048'576, 2100 * 512 - 1'048'576},
         SplitAudio(Split(false, 2100)), {"1WAV Segment Start Time: 2008/03/14 09:28:01"}},
        {"minutes of 5-bit IMG", "V00007.IMG", synth::MakeImg({.bits = 5, .records = 1300}), 0, 1,
         {480'000, 480'000, 1299 * 817 - 960'000}, {}, {"1WAV Segment Length: 0:01:00"}},
        {"an IMG rate of zero gives no time to cut by", "V00007.IMG",
         synth::MakeImg({.bits = 8, .sampleRate = 0, .records = 4}), 0, 1, {3 * 512}, {}, {}},
    };
    for (const auto& [what, name, image, megabytes, minutes, sizes, audio, lines] : cases) {
        SCOPED_TRACE(what);
        Make(name, image);
        const Converted got = Convert(megabytes, minutes);
        ASSERT_EQ(got.result.outcome, kCompleted);
        EXPECT_EQ(got.sizes, sizes);
        EXPECT_EQ(test::FolderEntries(Out()).size(), 2 * sizes.size() + 1);
        if (!audio.empty()) {
            EXPECT_EQ(got.data, audio);
        }
        for (const std::string& line : lines)
            EXPECT_TRUE(Has(got.texts.at(line[0] - '0'), line.substr(1) + "\r")) << line;
    }
    // Record 1 names 1 Hz: a minute is 60 bytes, so each 817-byte record fills several
    // segments; found by fuzzing, when the second cut of one block wrote from past its end.
    const synth::ImgOptions oneHertz{.bits = 5, .sampleRate = 1, .records = 3};
    Make("V00007.IMG", synth::MakeImg(oneHertz));
    const Converted slow = Convert(0, 1);
    std::vector<std::uint32_t> sizes(27, 60);   // 2 x 817 = 27 x 60 + 14
    sizes.push_back(14);
    EXPECT_EQ(slow.sizes, sizes);
    EXPECT_EQ(slow.data, test::ImgAudio(oneHertz, 2, 3));
    for (const std::string& text : slow.texts)
        EXPECT_TRUE(Has(text, "Decryption Completed.\r\n"));
}

TEST_F(ConvertTest, ReadingAheadChangesNothingThatAnyoneSees) {
    // Block counts around the worker's pieces of 128 records; the megabytes and the poll that
    // cancels (0: none).
    const std::tuple<const char*, synth::Im2Options, std::vector<Fault>, std::uint16_t, int> cases[] = {
        {"cut and split", {.storedBits = 4, .blocks = 1100},
         {{FaultKind::TruncateLast, 300}, {FaultKind::PayloadByte, 7}, {FaultKind::BlockOrder, 600}}, 1, 0},
        {"128 present, 129 stated", {.blocks = 128, .statedBlocks = 129}, {}, 0, 0},
        {"129 cut", {.blocks = 129}, {{FaultKind::TruncateLast, 0}}, 0, 0},
        {"256 of 300", {.blocks = 300, .statedBlocks = 256}, {}, 0, 0},
        {"bad header", {.storedBits = 8, .modelCode = 37, .blocks = 257}, {{FaultKind::BadHeader}}, 0, 0},
        {"cancelled", {.blocks = 3000}, {{FaultKind::Timestamp, 999}}, 1, 2500},
    };
    for (const auto& [name, options, faults, megabytes, cancelAt] : cases) {
        SCOPED_TRACE(name);
        m_hooks.cancelWhen = [at = cancelAt](int polls) { return polls == at; };
        Make("F00012.IM2", synth::MakeIm2(options, faults));
        const Converted plain = Convert(megabytes, 0, false);
        Make("F00012.IM2", m_image);
        const Converted ahead = Convert(megabytes, 0, true);
        EXPECT_EQ(plain.result.outcome, cancelAt ? ConvertOutcome::Cancelled : kCompleted);
        EXPECT_EQ(Ended(ahead.result), Ended(plain.result));
        EXPECT_EQ(ahead.data, plain.data);
        EXPECT_EQ(ahead.texts, plain.texts);
        EXPECT_EQ(ahead.calls, plain.calls);
    }
}

TEST_F(ConvertTest, AnEarlierRunIsAskedAboutAndReplacedAsAWhole) {
    // Two segments of 1 MiB now; an earlier run with a smaller limit left five. Names that
    // only look like segments of this conversion belong to no run of it and stay.
    Make("F00012.IM2", synth::MakeIm2({.blocks = 2100}));
    const Bytes old = {1, 2, 3};
    const Lines strangers = {"F00012.00", "F00012.00.wav.bak", "F00012.007.txt", "F00012.02.WAV", "F00012.7.wav",
                             "G00012.00.wav"};
    for (const std::string& name : strangers)
        ASSERT_TRUE(synth::WriteBytes(Out(name), old));

    // Only a higher segment of the earlier run is left, and that is enough to ask.
    ASSERT_TRUE(synth::WriteBytes(Out("F00012.03.txt"), old));
    const Converted declined = Convert(1);
    EXPECT_EQ(declined.result.outcome, ConvertOutcome::Declined);
    EXPECT_EQ(declined.result.error.path, Out("F00012.03.txt"));
    EXPECT_TRUE(declined.result.files.empty());
    EXPECT_EQ(declined.calls, Lines{"Ask(Tessivox|The file: " + Out("F00012.03.txt") +
                                    " already exists. Overwrite and recreate its (.Txt) file?)"});
    EXPECT_EQ(test::FolderEntries(Out()).size(), strangers.size() + 1);

    for (const char* name : {"F00012.00.wav", "F00012.00.txt", "F00012.01.wav", "F00012.01.txt", "F00012.02.wav",
                             "F00012.04.wav"})
        ASSERT_TRUE(synth::WriteBytes(Out(name), old));
    const Converted again = Convert(1);
    EXPECT_EQ(again.result.outcome, ConvertOutcome::Declined);
    EXPECT_EQ(again.result.error.path, Out("F00012.00.wav"));   // the question names the first segment
    EXPECT_EQ(test::FolderEntries(Out()).size(), strangers.size() + 7);

    m_hooks.answer = true;
    const Converted replaced = Convert(1);
    EXPECT_EQ(replaced.result.outcome, kCompleted);
    EXPECT_EQ(replaced.sizes, (std::vector<std::uint32_t>{1'048'576, 52 * 512}));
    EXPECT_EQ(m_hooks.questions, 3);   // one a run
    Lines expected = strangers;
    expected.insert(expected.end(), {"F00012.00.txt", "F00012.00.wav", "F00012.01.txt", "F00012.01.wav",
                                     "F00012.sha256"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::FolderEntries(Out()), expected);
    for (const std::string& name : strangers)
        EXPECT_EQ(ReadBytes(Out(name)), old) << name;
}

// Only new files, never through a link: a name that cannot go is told before anyone is asked,
// and a run refused leaves the folder as it found it. (Links made before the run, to a file or
// to the image itself, are the command-line tests' cases.)
TEST_F(ConvertTest, NoSegmentIsWrittenThroughALinkOrOverAnotherRunsFile) {
    Make("F00012.IM2", synth::MakeIm2({.blocks = 2100}));   // two segments of 1 MiB
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
    // Why, what is made before the run and during it, and when (-1: as the progress shows,
    // before any file; else at that poll); the name refused, the cause and the outcome.
    const auto notStarted = ConvertOutcome::NotStarted;
    const std::tuple<const char*, Maker, Maker, int, std::string, const char*, ConvertOutcome> cases[] = {
        // The summary beside it must not be lost to the attempt, Yes or not.
        {"the earlier run's first WAV is now a folder",
         [&](const std::string& f) { ::mkdir((f + "F00012.00.wav").c_str(), 0755); file("F00012.00.txt")(f); file("F00012.01.wav")(f); },
         nullptr, 0, "F00012.00.wav", "Is a directory", notStarted},
        {"link to no file yet", linkTo(elsewhere, "F00012.01.txt"), nullptr, 0, "F00012.01.txt", "Is a symbolic link", notStarted},
        // Another conversion passed the same check a moment earlier and made the first segment
        // between this run's check and its first file.
        {"first name taken meanwhile", nullptr, file("F00012.00.wav"), -1, "F00012.00.wav", "", notStarted},
        // Segment 0 is finished before the name of segment 1 is refused.
        {"link made during the run", nullptr, linkTo(victim, "F00012.01.wav"), 100, "F00012.01.wav", "Is a symbolic link",
         ConvertOutcome::Cancelled},
    };
    m_hooks.answer = true;
    for (const auto& [what, before, during, atPoll, name, why, outcome] : cases) {
        SCOPED_TRACE(what);
        test::TempDir out;   // a fresh folder for every case
        if (before)
            before(out / "");
        Lines expected = test::FolderEntries(out / "");
        m_hooks.onShow = [&, &during = during, atPoll = atPoll] {
            if (atPoll < 0)
                during(out / "");
        };
        m_hooks.cancelWhen = [&, &during = during, atPoll = atPoll](int polls) {
            if (polls == atPoll)
                during(out / "");
            return false;
        };
        m_hooks.questions = 0;
        const ConvertResult result = ConvertIm2({Source(), out / "", 1, 0}, m_hooks);
        EXPECT_EQ(result.outcome, outcome);
        EXPECT_TRUE(result.outputFailed);
        EXPECT_EQ(result.error.path, out / name);
        EXPECT_TRUE(DescribeError(result.error).starts_with(why)) << DescribeError(result.error);
        EXPECT_EQ(ReadBytes(victim), theirs);
        EXPECT_EQ(ReadBytes(Source()), m_image);
        EXPECT_EQ(::access(elsewhere.c_str(), F_OK), -1);
        if (outcome == ConvertOutcome::Cancelled) {
            EXPECT_EQ(result.files, (Lines{out / "F00012.00.wav", out / "F00012.00.txt"}));
            continue;
        }
        EXPECT_EQ(m_hooks.questions, 0);
        if (atPoll < 0)
            expected.push_back(name);
        EXPECT_EQ(test::FolderEntries(out / ""), expected);
        for (const std::string& entry : expected) {
            const std::filesystem::path at = out / entry;
            if (std::filesystem::is_regular_file(std::filesystem::symlink_status(at)) &&
                std::filesystem::hard_link_count(at) == 1) {
                EXPECT_EQ(ReadBytes(at), theirs) << entry;
            }
        }
    }
}

TEST_F(ConvertTest, CancelEndsTheSegmentWithoutASummaryAndWithHonestSizes) {
    // 1 MiB segments of 2,048 blocks: the IM2 image's third begins with block 4,096.
    const std::tuple<std::string, Bytes, int> cases[] = {
        {"F00012.IX2", synth::MakeIx2(Split(true, 200)), 50},
        {"V00007.IMG", synth::MakeImg({.bits = 8, .records = 100}), 10},
        {"F00012.IM2", synth::MakeIm2({.blocks = 5000}, std::vector<Fault>{{FaultKind::PayloadByte, 4150}}), 4200},
    };
    Converted got;
    for (const auto& [name, image, cancelAt] : cases) {
        SCOPED_TRACE(name);
        Make(name, image);
        m_hooks.cancelWhen = [at = cancelAt](int polls) { return polls == at; };
        got = Convert(1);
        EXPECT_EQ(got.result.outcome, ConvertOutcome::Cancelled);
        EXPECT_EQ(m_hooks.polls, cancelAt);
        EXPECT_TRUE(got.texts.back().ends_with("Decryption Cancelled.\r\n")) << got.texts.back();
        EXPECT_FALSE(Has(got.texts.back(), "SUMMARY\r\r\nUnit"));
        EXPECT_EQ(test::FolderEntries(Out()).size(), 2 * got.texts.size());
    }
    // The IM2 image in full: two segments completed, the third cut with its error line.
    ASSERT_EQ(Ended(got.result), (Ending{ConvertOutcome::Cancelled, 4200, 1}));
    for (const unsigned done : {0u, 1u}) {
        EXPECT_TRUE(Has(got.texts[done], "Decryption Completed.\r\n" + kRule)) << done;
        EXPECT_TRUE(got.texts[done].ends_with("3 seconds per Hour.\r\n")) << done;
    }
    EXPECT_EQ(got.texts.at(2), Heading("IM2", "F00012.02.wav") + kError + "4150\r\nDecryption Cancelled.\r\n");
    const Bytes all = test::DecodeAll(m_image);
    EXPECT_EQ(got.data, Bytes(all.begin(), all.begin() + 4200 * 512));
}

TEST_F(ConvertTest, ASourceOrDestinationThatCannotBeOpenedWritesNothing) {
    std::filesystem::create_directories(Out());
    for (const char* name : {"F00012.IM2", "F00012.IX2", "V00007.IMG"}) {
        SCOPED_TRACE(name);
        m_name = name;
        const ConvertResult noSource = Convert().result;
        EXPECT_EQ(noSource.outcome, ConvertOutcome::NotStarted);
        EXPECT_EQ(noSource.error.path, Source());
        EXPECT_EQ(noSource.error.cause, Cause::NotFound);
        EXPECT_TRUE(test::FolderEntries(Out()).empty());
    }
    EXPECT_EQ(m_hooks.calls, (Lines{"SetMessage(Decrypting: V00007.IMG\r\n)", "SetRange(1000)", "Wait", "EndWait", "Hide"}));

    Make("F00012.IM2", synth::MakeIm2({.blocks = 10}));
    const ConvertResult noFolder = ConvertIm2({Source(), m_dir / "absent", 0, 0}, m_hooks);
    EXPECT_EQ(noFolder.outcome, ConvertOutcome::NotStarted);
    EXPECT_EQ(noFolder.error.cause, Cause::NotFound);
    EXPECT_EQ(noFolder.error.path, m_dir / "absent/F00012.00.wav");
    EXPECT_TRUE(noFolder.files.empty());

    // No text file can be made: the WAV already created stays the empty file of the default
    // format, 11,025 Hz 16-bit mono.
    m_hooks.onShow = [&] { ::mkdir(Out("F00012.00.txt").c_str(), 0755); };
    const ConvertResult noText = Convert().result;
    EXPECT_EQ(noText.outcome, ConvertOutcome::NotStarted);
    EXPECT_EQ(noText.error.path, Out("F00012.00.txt"));
    EXPECT_EQ(m_hooks.pumps, 0);
    EXPECT_EQ(ReadBytes(Out("F00012.00.wav")), (Bytes{'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                                      16, 0, 0, 0, 1, 0, 1, 0, 0x11, 0x2B, 0, 0, 0x22, 0x56, 0, 0,
                                                      2, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0}));
}

TEST_F(ConvertTest, AFullDiskCancelsWithHonestSizesAndNoHalfSummary) {
    // 4-bit mono, 2,042 bytes a block; plain writes go out in runs of 129 blocks. At 1,048,000
    // bytes the disk fills inside the cut of the block crossing 1 MiB; at 600,000 inside the
    // third run of plain writes, whose failure used to go unnoticed and leave a short segment
    // that read as complete. At 600 there is room for one block of 16-bit audio and the
    // heading, not for the summary.
    const std::tuple<synth::Im2Options, std::uint64_t, std::uint64_t, std::uint32_t, const char*> cases[] = {
        {{.storedBits = 4, .blocks = 700}, 1'048'000, 513, 1'048'000, "F00012.00.wav"},
        {{.storedBits = 4, .blocks = 700}, 600'000, 386, 600'000, "F00012.00.wav"},
        {{.blocks = 1}, 600, 1, 556, "F00012.00.txt"}};
    for (const auto& [options, fileLimit, blocks, wavBytes, failed] : cases) {
        SCOPED_TRACE(fileLimit);
        Make("F00012.IM2", synth::MakeIm2(options));
        Converted got;
        {
            const test::FileSizeLimit limit(fileLimit);
            got = Convert(1);
        }
        EXPECT_EQ(got.result.outcome, ConvertOutcome::Cancelled);
        EXPECT_EQ(got.result.error.cause, Cause::DiskFull);
        EXPECT_EQ(got.result.error.path, Out(failed));
        EXPECT_EQ(got.result.blocks, blocks);
        EXPECT_EQ(got.texts, Lines{Heading("IM2", "F00012.00.wav") + "Decryption Cancelled.\r\n"});
        EXPECT_EQ(got.sizes, std::vector<std::uint32_t>{wavBytes - 44});
        EXPECT_TRUE(std::equal(got.data.begin(), got.data.end(), test::DecodeAll(m_image).begin()));
        EXPECT_EQ(test::FolderEntries(Out()).size(), 2u);
    }
}

}  // namespace
}  // namespace tvx

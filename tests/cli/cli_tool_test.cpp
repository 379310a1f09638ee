// tessivox-cli run as a user runs it: what each command prints, and the status it ends with.
#include "run_tool.h"

#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;
using synth::Fault;
using synth::FaultKind;
using namespace testing;
using Writer = std::function<bool(const std::string&)>;

// 16-bit mono at 8000 Hz: 32 ms per block.
Writer Im2(std::uint32_t blocks = 20, std::vector<Fault> faults = {}, std::int64_t stated = -1) {
    return [=](const std::string& p) {
        return synth::WriteIm2File(p, {.storedBits = 16, .blocks = blocks, .statedBlocks = stated}, faults);
    };
}

Writer Ix2(bool chain, std::vector<Fault> faults = {}, std::uint32_t blocks = 50, std::uint32_t first = 200) {
    synth::Ix2Options o;
    o.audio = {.storedBits = 16, .blocks = blocks};
    o.splitFirst = first;
    o.recordingLast = 999;
    o.chain = chain;
    return [=](const std::string& p) { return synth::WriteIx2File(p, o, faults); };
}

Writer Img(synth::ImgOptions o, std::vector<synth::ImgFault> faults = {}) {
    return [=](const std::string& p) { return synth::WriteImgFile(p, o, faults); };
}

class CliTool : public ToolTest {
protected:
    std::string Write(const std::string& name, const Writer& write) {
        fs::create_directories(fs::path(Path(name)).parent_path());
        EXPECT_TRUE(write(Path(name))) << name;
        return Path(name);
    }
};

TEST_F(CliTool, VersionHelpAndUsageErrors) {
    const ToolRun version = RunTool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "1.3.7\n");
    const ToolRun help = RunTool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Has(help.out, "tessivox-cli verify"));
    for (const char* status : {"  0 ", "  1 ", "  2 ", "  3 ", "  4 ", "  130 "})
        EXPECT_TRUE(Has(help.out, status)) << status;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"verify"}, {"convert", "x.IM2"}, {"verify", "x.IM2", "--bogus"}}) {
        const ToolRun r = RunTool(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(Has(r.err, "Usage:"));
        EXPECT_TRUE(r.out.empty());
    }
}

// What the window shows after "&Authenticate", as text and as JSON, for every kind of image.
TEST_F(CliTool, VerifyPrintsTheWindowsResultsAsTextAndJson) {
    struct Case {
        std::string image;
        bool json;
        int status;
        std::vector<std::pair<std::string, std::string>> fields;   // label, value (text)
        std::vector<std::string> parts;                            // found as they stand
    };
    const std::string damaged = Write("D00012.IM2", Im2(20, {{FaultKind::PayloadByte, 2}, {FaultKind::PayloadByte, 3},
                                                              {FaultKind::PayloadByte, 4}, {FaultKind::UnitNumber, 7},
                                                              {FaultKind::BadHeader, 0}}));
    const std::string chain = Write("C00012.IX2", Ix2(true));
    const std::string damagedChain = Write("E00012.IX2", Ix2(true, {{FaultKind::PayloadByte, 9}}));
    const std::string img = Write("V00007.IMG", Img({.bits = 5, .records = 25, .erased = 4}, {{synth::ImgFaultKind::RecordIndex, 9}}));
    const std::string indexOnly = Write("S00012.IX2", [](const std::string& p) {
        synth::Ix2Options o;
        o.cutTo = 2000;
        return synth::WriteIx2File(p, o);
    });
    const Case cases[] = {
        {Write("F00012.IM2", Im2()), false, 0,
         {{"Duration:", "00:00:00.640"}, {"Verified:", "00:00:00.640"}, {"Unauthenticated:", "00:00:00.000"},
          {"CheckSum:", "0"}, {"File Header:", "sound"}},
         {"Irregular blocks: 0", "Fri, 14 Mar 2008, 09:26:53"}},
        {damaged, true, 1, {},
         {"\"format\": \"IM2\"", "\"file_number\": 12", "\"start\": \"Fri, 14 Mar 2008, 09:26:53\"",
          "\"sample_rate\": 8000", "\"bits\": 16", "\"channels\": 1", "\"blocks\": 20",
          "\"header_ok\": false", "\"complete\": true", "\"excess_bytes\": 0",
          "\"authentic\": false", "\"duration\": \"00:00:00.640\"",
          "\"verified\": \"00:00:00.512\"", "\"irregularities\": \"00:00:00.128\"",
          "\"unauthenticated\": \"00:00:00.000\"", "\"duration_ms\": 640", "\"verified_ms\": 512",
          "\"irregular_ms\": 128", "\"unauthenticated_ms\": 0", "\"unit_id\": 1",
          "\"checksum\": 4", "\"sequence\": 0", "\"verified_blocks\": 16",
          "\"irregular_blocks\": 4", "\"voice_checksum_errors\": null",
          // Three damaged blocks in a row are one run; the header is a run of its own.
          R"({"first_index": -1,"last_index": -1,"status": "0x84000008","start_ms": 0,"end_ms": 0})",
          R"({"first_index": 2,"last_index": 4,"status": "0x80000008","start_ms": 64,"end_ms": 160})",
          R"({"first_index": 7,"last_index": 7,"status": "0x80000001","start_ms": 224,"end_ms": 256})"}},
        {damaged, false, 1, {{"Irregular blocks:", "5 in 3 runs"}},
         {"           2           4  0x80000008            64           160\n"}},
        {chain, false, 0,
         {{"Unit ID:", "QM-04242 (Slave QM-00777)"}, {"File Number:", "12 (Slave 3)"},
          {"Duration:", "00:00:01.600"}, {"Verified:", "00:00:01.600"}},   // the split's 50 blocks
         {}},
        {Write("P00012.IX2", Ix2(false)), false, 0, {{"Unit ID:", "QM-04242"}}, {}},
        {damagedChain, true, 1, {},
         {"\"format\": \"IX2\"", "\"slave_unit_id\": \"QM-00777\"", "\"slave_file_number\": 3",
          "\"split_first\": 200", "\"split_last\": 249", "\"split_blocks\": 50", "\"whole_split\": true",
          "\"blocks\": 1000", "\"first_index\": 9", "\"verified_blocks\": 49"}},
        {Path("P00012.IX2"), true, 0, {}, {"\"split_blocks\": 50"}},
        // Index blocks but no audio: judged, with the split unknown.
        {indexOnly, true, 1, {}, {"\"split_first\": null", "\"authentic\": false"}},
        {img, false, 1,
         {{"Unit ID:", "QL-1A2B"}, {"File Header:", "not judged"}, {"Sequence / Timing:", "1"}}, {}},
        {img, true, 1, {}, {"\"start\": null", "\"format\": \"IMG\""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.image + (c.json ? " --json" : ""));
        const ToolRun r = c.json ? RunTool({"verify", "--json", c.image}) : RunTool({"verify", c.image});
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_TRUE(r.err.empty()) << r.err;   // no progress when stderr is not a terminal
        for (const auto& [label, value] : c.fields)
            EXPECT_EQ(Field(r.out, label), value);
        for (const std::string& part : c.parts)
            EXPECT_TRUE(Has(c.json ? Flat(r.out) : r.out, part)) << part << "\n" << r.out;
    }
    EXPECT_EQ(Occurrences(Flat(RunTool({"verify", "--json", damaged}).out), "first_index"), 3u);
    EXPECT_FALSE(Has(RunTool({"verify", "--json", Path("P00012.IX2")}).out, "slave_unit_id"));
    EXPECT_FALSE(Has(RunTool({"verify", img}).out, "Start:"));
}

TEST_F(CliTool, VerifyJsonIsOneDocumentWhateverTheNumberOfImages) {
    const std::string good = Write("good.IM2", Im2());
    const std::string missing = Path("missing.IM2");
    const std::string head = R"({"tool": "tessivox-cli","version": "1.3.7","images": [{"path": )";
    const ToolRun one = RunTool({"verify", "--json", good});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(Flat(one.out).rfind(head + "\"" + good + "\"", 0), 0u) << one.out;
    EXPECT_EQ(Occurrences(one.out, "\"path\""), 1u);
    // An image that cannot be read keeps its place in the batch, with its reason.
    const ToolRun two = RunTool({"verify", "--json", good, missing, good});
    EXPECT_EQ(two.status, 3);
    EXPECT_EQ(Flat(two.out).rfind(head, 0), 0u) << two.out;
    EXPECT_EQ(Occurrences(two.out, "\"path\""), 3u);
    EXPECT_EQ(Occurrences(two.out, "\"verified_blocks\": 20"), 2u);
    EXPECT_TRUE(Has(Flat(two.out), "{\"path\": \"" + missing + "\",\"error\": \"No such file or directory\"}"));
    EXPECT_TRUE(Flat(two.out).ends_with("}]}"));
}

// An IMG image whose record n is wiped as the unit erases flash, the voice-image checksums of
// the records after it mended so that only the wiped record betrays it.
Writer EraseImgRecord(synth::ImgOptions img, int n) {
    return [img, n](const std::string& p) {
        if (!synth::WriteImgFile(p, img))
            return false;
        std::string bytes = Slurp(p);
        const std::size_t at = static_cast<std::size_t>(n - 1) * 528;
        std::uint8_t wiped = 0;
        for (std::size_t i = 0; i < 512; ++i)
            wiped = static_cast<std::uint8_t>(wiped + static_cast<std::uint8_t>(bytes[at + i]));
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), 528, '\xFF');
        for (std::size_t r = at + 528; r + 528 <= bytes.size(); r += 528) {
            if (bytes.compare(r, 528, std::string(528, '\xFF')) == 0)
                break;   // the erased tail
            bytes[r + 527] = static_cast<char>(static_cast<std::uint8_t>(bytes[r + 527]) - wiped);
        }
        std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
        return true;
    };
}

// Authentic means every byte the image should hold, and nothing more, was judged authentic.
// verify and convert give the same verdict on the same image.
TEST_F(CliTool, OnlyAWholeUntouchedImageIsAuthentic) {
    const synth::ImgOptions img{.bits = 5, .records = 30, .erased = 3};
    struct Case {
        const char* name;
        Writer write;
        std::size_t appended;   // bytes of junk after the image
        int status;
    };
    const Case cases[] = {
        {"F00001.IM2", Im2(40), 0, 0},
        {"F00002.IM2", Im2(40), 100 * 1024, 1},   // 100 KB past the stated blocks
        {"F00003.IM2", Im2(40), 300, 1},          // a cut record past them
        {"F00004.IM2", Im2(40, {{FaultKind::TruncateLast, 100}}), 0, 1},
        {"F00005.IM2", Im2(40, {{FaultKind::Timestamp, 3}}), 0, 1},
        {"P00005.IX2", Ix2(false, {}, 40, 100), 0, 0},
        {"P00006.IX2", Ix2(false, {}, 40, 100), 100 * 1024, 1},
        {"C00007.IX2", Ix2(true, {}, 40, 100), 0, 0},
        {"C00008.IX2", Ix2(true, {}, 40, 100), 528, 1},
        {"V00009.IMG", Img(img), 0, 0},
        {"V00010.IMG", Img(img), 100, 1},
        {"V00011.IMG", Img(img, {{synth::ImgFaultKind::VoiceChecksum, 12}}), 0, 1},
        {"V00012.IMG", EraseImgRecord(img, 10), 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write(c.name, c.write);
        std::ofstream(path, std::ios::binary | std::ios::app) << std::string(c.appended, '\x5A');
        const ToolRun verify = RunTool({"verify", "--json", path});
        EXPECT_EQ(verify.status, c.status) << verify.out;
        EXPECT_TRUE(Has(verify.out, c.status == 0 ? "\"authentic\": true" : "\"authentic\": false"));
        const ToolRun convert = RunTool({"convert", path, "--out", Out(), "--yes"});
        EXPECT_EQ(convert.status, c.status) << convert.err;
    }
    EXPECT_TRUE(Has(Slurp(Path("out/F00005.00.txt")), "Timestamp Errors: 1"));
    // The voice-image checksum chain is counted apart from the window's four counts.
    const ToolRun voice = RunTool({"verify", Path("V00011.IMG")});
    EXPECT_EQ(Field(voice.out, "Voice CheckSum Errors:"), "1");
    EXPECT_EQ(Field(voice.out, "CheckSum:"), "0");
    EXPECT_EQ(Field(voice.out, "Verified:"), "00:00:03.060");
    EXPECT_TRUE(Has(voice.out, "0x80000100")) << voice.out;
    const ToolRun padded = RunTool({"verify", Path("F00003.IM2")});
    EXPECT_EQ(Field(padded.out, "Blocks:"), "40 stated, 40 in the file, 300 bytes past them");
    EXPECT_EQ(Field(padded.out, "File Length:"), "complete");   // as the window shows it
}

// Standard output is the result: when it cannot take it, the run fails and says so.
TEST_F(CliTool, AnUnwritableStandardOutputFailsTheRun) {
    const std::string path = Write("F00012.IM2", Im2());
    using Out = ToolLimits::Stdout;
    for (const Out out : {Out::DevFull, Out::ClosedPipe}) {
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"verify", path}, {"verify", "--json", path}, {"details", path}, {"--help"}}) {
            SCOPED_TRACE(args[0] + (out == Out::DevFull ? " > /dev/full" : " | (closed)"));
            const ToolRun r = RunTool(args, {.out = out});
            EXPECT_EQ(r.status, 4) << r.err;
            EXPECT_TRUE(Has(r.err, out == Out::DevFull ? "No space left on device" : "Broken pipe")) << r.err;
        }
    }
}

TEST_F(CliTool, AnInterruptedBatchEndsWithTheInterruptsStatusAndAWholeDocument) {
    std::vector<std::string> args = {"verify", "--json"};
    args.insert(args.end(), 300, Write("F00012.IM2", Im2(4000)));
    const ToolRun r = RunToolInterrupted(args);
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_LT(Occurrences(r.out, "\"path\""), 300u);
    EXPECT_TRUE(Flat(r.out).ends_with("}]}"));
}

// The dialog of "File Details" as text, for every kind of image.
TEST_F(CliTool, DetailsPrintsTheDialogAsText) {
    synth::Ix2Options hourIn;   // a minute of 32 ms blocks, an hour and a minute in
    hourIn.audio = {.storedBits = 16, .blocks = 1875};
    hourIn.splitFirst = 1875 * 61;
    hourIn.recordingLast = 1875 * 63 - 1;
    const auto cut = [hourIn](std::uint64_t bytes) {
        return [hourIn, bytes](const std::string& p) {
            synth::Ix2Options o = hourIn;
            o.cutTo = bytes;
            return synth::WriteIx2File(p, o);
        };
    };
    const std::string recording = "Start:\tFri, 14 Mar 2008, 09:26:53\nDuration:\t";
    struct Case {
        const char* name;
        Writer write;
        std::string text;
    };
    const Case cases[] = {
        {"F00012.IM2", Im2(),
         "The details of the loaded IM2 file are:\nUnit ID: QM-04242\nRecording Number: 12\n"
         "Sample Rate (Hz): 8000\nChannels: 1\nBits Per Sample: 16\nTime and Length Details:\nRecording:\n" +
             recording + "0:00:00\nComplete:\tYES\n"},
        {"G00012.IM2", Im2(1, {}, 116344),   // 1:02:03 of 32 ms blocks stated, one there
         "Recording:\n" + recording + "1:02:03\nComplete:\tNO\n"},
        {"P00012.IX2", [hourIn](const std::string& p) { return synth::WriteIx2File(p, hourIn); },
         "---Recording---\n" + recording + "1:03:00\nComplete:\tNO\n\n---This Split File---\n"
         "Start:\tFri, 14 Mar 2008, 10:27:53\nDuration:\t0:01:00\nComplete:\tYES\n"},
        {"C00012.IX2", Ix2(true),
         "The details of the loaded IX2 chain file are:\nUnit ID: QM-04242 (slave QM-00777)\n"
         "Recording Number: 12 (slave 3)\n"},
        {"D00012.IX2", Ix2(true), "---Recording---\nStart:\tFri, 14 Mar 2008, 09:26:53\n\t(slave Fri, 14 Mar 2008, 09:20:00)\n"},
        {"H00012.IX2", cut(2000),   // no first data block: the split has no start
         "Duration:\t1:03:00\nComplete:\tNO\n\n---This Split File---\nDetails unknown\n"},
        {"V00007.IMG", Img({.bits = 5, .unitId = 0xAB, .records = 25, .erased = 4}),
         "The details of the loaded IMG file are:\nUnit ID: QL-00AB\nRecording Number: 7\n"
         "Sample Rate (Hz): 8000\nChannels: 1\nBits Per Sample: 5\nTime and Length Details:\nDuration:\t0:00:02\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun r = RunTool({"details", Write(c.name, c.write)});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(Has(r.out, c.text)) << r.out;
        EXPECT_FALSE(Has(r.out, "\r"));
    }
}

TEST_F(CliTool, AnIm2InAFolderNamedIx2IsReadAsIm2ByEveryCommand) {
    const std::string path = Write("x.IX2/F1.im2", Im2(2000));   // 64 s of audio
    const ToolRun verify = RunTool({"verify", "--json", path});
    EXPECT_EQ(verify.status, 0) << verify.err;
    for (const char* part : {"\"format\": \"IM2\"", "\"blocks\": 2000", "\"duration\": \"00:01:04.000\"",
                             "\"verified_blocks\": 2000"})
        EXPECT_TRUE(Has(verify.out, part)) << part << "\n" << verify.out;
    EXPECT_TRUE(Has(RunTool({"details", path}).out, "The details of the loaded IM2 file are:\n"));
    EXPECT_EQ(RunTool({"peaks", path, "--width", "4"}).out.rfind("blocks: 2000\n", 0), 0u);
    EXPECT_EQ(RunTool({"convert", path, "--out", Out()}).status, 0);
    EXPECT_EQ(fs::file_size(Path("out/F1.00.wav")), 44u + 2000u * 512u);
}

TEST_F(CliTool, ConvertWritesSegmentsAndLeavesAnEarlierRunAloneWithoutYes) {
    const std::string path = Write("F00012.IM2", Im2(4000));   // 128 s of audio
    const ToolRun first = RunTool({"convert", path, "--out", Out(), "--minutes", "1"});
    EXPECT_EQ(first.status, 0) << first.err;
    for (const char* name : {"F00012.00.wav", "F00012.00.txt", "F00012.01.wav", "F00012.01.txt",
                             "F00012.02.wav", "F00012.02.txt"})
        EXPECT_TRUE(fs::exists(Path("out/") + name)) << name;
    EXPECT_EQ(fs::file_size(Path("out/F00012.00.wav")), 44u + 960000u);
    EXPECT_TRUE(Has(first.out, "F00012.02.txt"));

    const std::string before = Slurp(Path("out/F00012.00.txt"));
    fs::remove(Path("out/F00012.02.wav"));
    const ToolRun again = RunTool({"convert", path, "--out", Out()});
    EXPECT_EQ(again.status, 4);   // an output refused, not an irregular image
    EXPECT_TRUE(Has(again.err, "--yes"));
    EXPECT_EQ(Slurp(Path("out/F00012.00.txt")), before);
    EXPECT_FALSE(fs::exists(Path("out/F00012.02.wav")));

    // One segment and its manifest replace the earlier run's: none of theirs stays beside them.
    const ToolRun forced = RunTool({"convert", path, "--out", Out(), "--yes"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(fs::file_size(Path("out/F00012.00.wav")), 44u + 4000u * 512u);
    EXPECT_EQ(std::distance(fs::directory_iterator(Out()), fs::directory_iterator()), 3);

    const ToolRun noFolder = RunTool({"convert", path, "--out", Path("nope")});
    EXPECT_EQ(noFolder.status, 2);
    EXPECT_TRUE(Has(noFolder.err, "nope"));
}

TEST_F(CliTool, PeaksPrintOneLinePerColumn) {
    const ToolRun chain = RunTool({"peaks", Write("C00012.IX2", Ix2(true)), "--width", "8"});
    EXPECT_EQ(chain.status, 0) << chain.err;
    EXPECT_EQ(chain.out.rfind("blocks: 50\ncolumns: 8 of 8\nchannels: 1\n0\t", 0), 0u) << chain.out;
    EXPECT_EQ(std::count(chain.out.begin(), chain.out.end(), '\n'), 3 + 8);
    // The same audio gives the same overview, whichever form carries it.
    EXPECT_EQ(RunTool({"peaks", Write("P00012.IX2", Ix2(false)), "--width=8"}).out, chain.out);
    EXPECT_EQ(RunTool({"peaks", Path("C00012.IX2"), "--width", "0"}).status, 2);
}

}  // namespace
}  // namespace tvx::cli

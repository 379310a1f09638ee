// tessivox-cli run as a user runs it: what each command prints, and the status it ends with.
#include "run_tool.h"

#include <algorithm>

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;
using synth::FaultKind;
using namespace testing;

using CliTool = ToolTest;

TEST_F(CliTool, VersionAndUsageErrors) {
    const ToolRun version = RunTool({"--version"}), usage = RunTool({"verify", "--bogus"});
    EXPECT_EQ(std::pair(version.status, version.out), std::pair(0, std::string("1.3.7\n")));
    EXPECT_EQ(usage.status, 2);
    EXPECT_TRUE(Has(usage.err, "Usage:") && usage.out.empty()) << usage.out;
}

// What the window shows after "&Authenticate", as text and as one JSON document: whole for an
// IM2 image, and what differs for the other kinds. An image that cannot be read keeps its place
// in the batch, with its reason, and the batch ends with its gravest status.
TEST_F(CliTool, VerifyPrintsTheWindowsResultsAsTextAndJson) {
    // Three damaged blocks in a row are one run; the header is a run of its own.
    const std::string im2 = Write("D.IM2", Im2(20, {{FaultKind::PayloadByte, 2}, {FaultKind::PayloadByte, 3},
                                                    {FaultKind::PayloadByte, 4}, {FaultKind::UnitNumber, 7},
                                                    {FaultKind::BadHeader, 0}}));
    const ToolRun text = RunTool({"verify", im2}), json = RunTool({"verify", "--json", im2, Path("none.IM2")});
    EXPECT_EQ(std::pair(text.status, json.status), std::pair(1, 3));
    EXPECT_TRUE(text.err.empty()) << text.err;   // no progress when stderr is not a terminal
    EXPECT_EQ(text.out, im2 + R"(
Format:               IM2, 8000 Hz, 16 bits, 1 channel
Start:                Fri, 14 Mar 2008, 09:26:53
Unit ID:              QM-04242
File Number:          12
File Header:          faulty
File Length:          complete
Blocks:               20 stated, 20 in the file
Authentication Results:
  Duration:           00:00:00.640
  Verified:           00:00:00.512
  Irregularities:     00:00:00.128
  Unauthenticated:    00:00:00.000
Irregular Packets:
  Unit ID:            1
  File Number:        0
  Sequence / Timing:  0
  CheckSum:           4
Irregular blocks: 5 in 3 runs
       first        last  status          start ms        end ms
          -1          -1  0x84000008             0             0
           2           4  0x80000008            64           160
           7           7  0x80000001           224           256
Verdict:              not authentic
)");
    EXPECT_EQ(Flat(json.out),
              R"({"tool": "tessivox-cli","version": "1.3.7","images": [{"path": ")" + im2 +
                  R"(","format": "IM2","unit_id": "QM-04242","file_number": 12,)"
                  R"("start": "Fri, 14 Mar 2008, 09:26:53","sample_rate": 8000,"bits": 16,"channels": 1,)"
                  R"("blocks": 20,"file_blocks": 20,"excess_bytes": 0,"header_ok": false,"complete": true,)"
                  R"("structure_judged": true,"cancelled": false,"authentic": false,)"
                  R"("duration": "00:00:00.640","verified": "00:00:00.512","irregularities": "00:00:00.128",)"
                  R"("unauthenticated": "00:00:00.000","duration_ms": 640,"verified_ms": 512,)"
                  R"("irregular_ms": 128,"unauthenticated_ms": 0,)"
                  R"("counts": {"unit_id": 1,"file_number": 0,"sequence": 0,"checksum": 4},)"
                  R"("verified_blocks": 16,"irregular_blocks": 4,"voice_checksum_errors": null,)"
                  R"("irregular_runs": [{"first_index": -1,"last_index": -1,"status": "0x84000008",)"
                  R"("start_ms": 0,"end_ms": 0,"causes": "CheckSum","position": "00:00:00.000",)"
                  R"("clock_time": "Fri, 14 Mar 2008, 09:26:53"},{"first_index": 2,"last_index": 4,)"
                  R"("status": "0x80000008","start_ms": 64,"end_ms": 160,"causes": "CheckSum",)"
                  R"("position": "00:00:00.064","clock_time": "Fri, 14 Mar 2008, 09:26:53"},)"
                  R"({"first_index": 7,"last_index": 7,"status": "0x80000001","start_ms": 224,)"
                  R"("end_ms": 256,"causes": "Unit ID","position": "00:00:00.224",)"
                  R"("clock_time": "Fri, 14 Mar 2008, 09:26:53"}]},{"path": ")" + Path("none.IM2") +
                  R"(","error": "No such file or directory"}]})");
    synth::Ix2Options indexOnly;   // index blocks but no audio: judged, with the split unknown
    indexOnly.cutTo = 2000;
    const Writer voiceFault = Img({.bits = 5, .records = 25}, {{synth::ImgFaultKind::VoiceChecksum, 12}});
    // The image, its status, and a part of its text and of its JSON, found as they stand.
    const std::tuple<std::string, int, std::string, std::string> cases[] = {
        {Write("C00012.IX2", Ix2(true)), 0,
         "Unit ID:              QM-04242 (Slave QM-00777)\nFile Number:          12 (Slave 3)\n",
         R"("structure_judged": true,"slave_unit_id": "QM-00777","slave_file_number": 3,"chain": true,)"
         R"("split_start": "Fri, 14 Mar 2008, 09:26:59","split_first": 200,"split_last": 249,)"
         R"("split_blocks": 50,"whole_split": true,"cancelled": false,"authentic": true,)"},
        {Write("P00012.IX2", Ix2(false)), 0,
         "Split Start:          Fri, 14 Mar 2008, 09:26:59\n"
         "Split:                blocks 200 to 249, 50 blocks, all in the file\n",
         R"("structure_judged": true,"chain": false,)"},
        {Write("S00012.IX2", [&](const std::string& p) { return synth::WriteIx2File(p, indexOnly); }), 1,
         "Split Start:          unknown\n"
         "Split:                blocks unknown to 19, 0 blocks, not all in the file\n",
         R"("split_start": null,"split_first": null,)"},
        // No date to show; the voice-image checksum chain is counted apart.
        {Write("V00007.IMG", voiceFault), 1, "  CheckSum:           0\nVoice CheckSum Errors: 1\n",
         R"("file_number": 7,"start": null,)"},
    };
    for (const auto& [image, status, textPart, jsonPart] : cases) {
        SCOPED_TRACE(image);
        const ToolRun t = RunTool({"verify", image}), j = RunTool({"verify", "--json", image});
        EXPECT_EQ(std::pair(t.status, j.status), std::pair(status, status)) << t.err;
        EXPECT_TRUE(Has(t.out, textPart)) << t.out;
        EXPECT_TRUE(Has(Flat(j.out), jsonPart)) << j.out;
    }
}

TEST_F(CliTool, AnInterruptedBatchEndsWithTheInterruptsStatusAndAWholeDocument) {
    std::vector<std::string> args = {"verify", "--json"};
    args.insert(args.end(), 300, Write("F00012.IM2", Im2(4000)));
    const ToolRun r = RunTool(args, {.interrupt = true});
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_LT(std::ranges::count(r.out, '{'), 2 * 300);   // two an image: its report and its counts
    EXPECT_TRUE(Flat(r.out).ends_with("}]}"));
}

// Standard output is the result: when it cannot take it, the run fails and says so.
TEST_F(CliTool, AnUnwritableStandardOutputFailsTheRun) {
    const std::string path = Write("F00012.IM2", Im2());
    using Out = ToolLimits::Stdout;
    const ToolRun full = RunTool({"verify", path}, {.out = Out::DevFull});
    const ToolRun gone = RunTool({"verify", "--json", path}, {.out = Out::ClosedPipe});
    EXPECT_EQ(std::pair(full.status, gone.status), std::pair(4, 4));
    EXPECT_TRUE(Has(full.err, "No space left on device")) << full.err;
    EXPECT_TRUE(Has(gone.err, "Broken pipe")) << gone.err;
}

// The dialog of "File Details" as text, with a terminal's line ends.
TEST_F(CliTool, DetailsPrintsTheDialogAsText) {
    const ToolRun r = RunTool({"details", Write("C00012.IX2", Ix2(true))});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "The details of the loaded IX2 chain file are:\nUnit ID: QM-04242 (slave QM-00777)\n"
                     "Recording Number: 12 (slave 3)\nSample Rate (Hz): 8000\nChannels: 1\n"
                     "Bits Per Sample: 16\nTime and Length Details:\n---Recording---\n"
                     "Start:\tFri, 14 Mar 2008, 09:26:53\n\t(slave Fri, 14 Mar 2008, 09:20:00)\n"
                     "Duration:\t0:00:32\nComplete:\tNO\n\n---This Split File---\n"
                     "Start:\tFri, 14 Mar 2008, 09:26:59\nDuration:\t0:00:01\nComplete:\tYES\n");
}

TEST_F(CliTool, ConvertWritesSegmentsAndLeavesAnEarlierRunAloneWithoutYes) {
    const std::string path = Write("F00012.IM2", Im2(4000));   // 128 s of audio
    const ToolRun first = RunTool({"convert", path, "--out", Out(), "--minutes", "1"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(fs::file_size(Path("out/F00012.00.wav")), 44u + 960000u);
    EXPECT_TRUE(first.out.ends_with(Path("out/F00012.02.txt\n") + Path("out/F00012.sha256\n"))) << first.out;

    const std::string before = Slurp(Path("out/F00012.00.txt"));
    const ToolRun again = RunTool({"convert", path, "--out", Out()});
    EXPECT_EQ(again.status, 4);   // an output refused, not an irregular image
    EXPECT_TRUE(Has(again.err, "--yes"));
    EXPECT_EQ(Slurp(Path("out/F00012.00.txt")), before);

    // One segment and its manifest replace the earlier run's: none of theirs stays beside them.
    EXPECT_EQ(RunTool({"convert", path, "--out", Out(), "--yes"}).status, 0);
    EXPECT_EQ(fs::file_size(Path("out/F00012.00.wav")), 44u + 4000u * 512u);
    EXPECT_EQ(std::distance(fs::directory_iterator(Out()), fs::directory_iterator()), 3);

    const ToolRun noFolder = RunTool({"convert", path, "--out", Path("nope")});
    EXPECT_EQ(noFolder.status, 2);
    EXPECT_TRUE(Has(noFolder.err, Path("nope") + ": no such folder"));
    const ToolRun aFile = RunTool({"convert", path, "--out", path});
    EXPECT_EQ(aFile.status, 2);
    EXPECT_TRUE(Has(aFile.err, path + ": not a folder"));
}

// An overview of a sparse image past 4 GiB: 8,200,000 blocks of 528 bytes, real records only at
// block 0 and at 8,183,600. The last of 500 columns draws that one, where a position cut to 32
// bits would land in zeros.
TEST_F(CliTool, PeaksPrintOneLinePerColumnAndReachPastFourGiB) {
    constexpr std::uint32_t kBlocks = 8'200'000, kFar = 8'183'600;
    const synth::Im2Options o{.storedBits = 16, .blocks = 1, .statedBlocks = kBlocks};
    {
        std::ofstream file(Path("F00012.IM2"), std::ios::binary);
        for (const auto& [n, record] : {std::pair{0u, synth::HeaderRecord(o)}, {1u, synth::DataRecord(o, 0)},
                                        {kFar + 1, synth::DataRecord(o, kFar)}})
            file.seekp(n * 528ll).write(reinterpret_cast<const char*>(&record[0]), 528);
    }
    fs::resize_file(Path("F00012.IM2"), (kBlocks + 1ull) * 528);
    const ToolRun r = RunTool({"peaks", Path("F00012.IM2"), "--width", "500"});
    EXPECT_TRUE(r.out.starts_with("blocks: 8200000\ncolumns: 500 of 500\nchannels: 1\n0\t"));
    EXPECT_EQ(std::ranges::count(r.out, '\n'), 3 + 500);
    EXPECT_FALSE(Has(r.out, "\n0\t0\n") || Has(r.out, "\n499\t0\n"));
    EXPECT_TRUE(Has(r.out, "\n250\t0\n") && Has(r.out, "\n498\t0\n499\t"));
}

TEST_F(CliTool, PlaysFromWhereItIsToldToTheEndAndCountsWhatItJudged) {
    const std::string path = Write("F.IM2", Im2(40, {{FaultKind::PayloadByte, 5}, {FaultKind::BlockOrder, 30}}));
    const ToolRun r = RunTool({"play", path});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(r.out.starts_with(path + "\nPlayed to:            00:00:01.280 of 00:00:01.280\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "judged:        40\n  Verified:           37\n  Irregular:          3\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "Timing:  2\n  CheckSum:           1\n")) << r.out;
    Write("F.IM2", Im2(40));
    const ToolRun part = RunTool({"play", path, "--from", "600"});   // block 19 of 40
    EXPECT_EQ(part.status, 0) << part.err;
    EXPECT_TRUE(Has(part.out, "judged:        21\n  Verified:           21\n")) << part.out;
    const ToolRun past = RunTool({"play", path, "--from=1280"});
    EXPECT_EQ(past.status, 2);
    EXPECT_TRUE(Has(past.err, "past the end")) << past.err;
    // Ctrl-C stops a minute's play, and what was judged is still counted.
    const ToolRun stopped = RunTool({"play", Write("G00012.IM2", Im2(1875))}, {.interrupt = true});
    EXPECT_EQ(stopped.status, 130) << stopped.err;
    EXPECT_LT(std::stoi(stopped.out.substr(stopped.out.find("judged:") + 7)), 1875) << stopped.out;
    EXPECT_TRUE(Has(stopped.out, "Irregular:          0\n")) << stopped.out;
    // Without a sound output nothing would be heard, yet every block would count as played.
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const ToolRun mute = RunTool({"play", path});
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(mute.status, 4);
    EXPECT_EQ(std::ranges::count(mute.err, '\n'), 1) << mute.err;
    EXPECT_TRUE(Has(mute.err, path + ": no sound output")) << mute.err;
    EXPECT_TRUE(mute.out.empty()) << mute.out;
}

// The loader names each library it opens: SDL comes in only to play, through its plugin, and
// libcrypto only to hash. A release build carries its C++ runtime inside.
TEST_F(CliTool, OnlyTheCommandsThatNeedThemLoadSoundAndDigestLibraries) {
    const std::string path = Write("H.IM2", Im2(4));
    ::setenv("LD_DEBUG", "files", 1);
    const ToolRun version = RunTool({"--version"}), verify = RunTool({"verify", path});
    const ToolRun play = RunTool({"play", path}), hash = RunTool({"verify", "--hash", path});
    ::unsetenv("LD_DEBUG");
    EXPECT_EQ(std::tuple(version.status, verify.status, play.status, hash.status), std::tuple(0, 0, 0, 0));
    for (const ToolRun* run : {&version, &verify}) {
        EXPECT_TRUE(Has(run->err, "file=libc.so") && !Has(run->err, "SDL") && !Has(run->err, "crypto")) << run->err;
#ifdef TVX_CLI_OWN_RUNTIME
        EXPECT_FALSE(Has(run->err, "libstdc++")) << run->err;
#endif
    }
    EXPECT_TRUE(Has(play.err, "libtvx_sdl.so") && Has(play.err, "file=libSDL2") && !Has(play.err, "crypto"));
    EXPECT_TRUE(Has(hash.err, "file=libcrypto") && !Has(hash.err, "SDL")) << hash.err;
}

}  // namespace
}  // namespace tvx::cli

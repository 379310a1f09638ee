#include "run_tool.h"

#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;
using synth::Fault;
using synth::FaultKind;
using testing::RunTool;
using testing::ToolRun;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The value printed after the first line's label, without the padding.
std::string Field(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    if (at == std::string::npos)
        return "(no " + label + ")";
    const std::size_t from = text.find_first_not_of(' ', at + label.size());
    return text.substr(from, text.find('\n', from) - from);
}

// The JSON without its line breaks and indentation: one line to look for members in.
std::string Flat(const std::string& json) {
    std::string out;
    for (std::size_t i = 0; i < json.size(); ++i) {
        if (json[i] != '\n') {
            out += json[i];
            continue;
        }
        while (i + 1 < json.size() && json[i + 1] == ' ')
            ++i;
    }
    return out;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

void Append(const std::string& path, std::size_t bytes) {
    std::ofstream(path, std::ios::binary | std::ios::app) << std::string(bytes, '\x5A');
}

class CliTool : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("tvx-cli-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir / "out");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // 16-bit mono at 8000 Hz: 32 ms per block.
    std::string Image(std::vector<Fault> faults = {}, const char* name = "F00012.IM2",
                      std::uint32_t blocks = 20) {
        synth::Im2Options o;
        o.storedBits = 16;
        o.blocks = blocks;
        const std::string path = (m_dir / name).string();
        EXPECT_TRUE(synth::WriteBytes(path, synth::MakeIm2(o, faults)));
        return path;
    }

    std::string Out() const { return (m_dir / "out").string(); }

    fs::path m_dir;
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

TEST_F(CliTool, VerifyOfAnUntouchedImageShowsEverythingVerified) {
    const ToolRun r = RunTool({"verify", Image()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(r.out, "Duration:"), "00:00:00.640");
    EXPECT_EQ(Field(r.out, "Verified:"), "00:00:00.640");
    EXPECT_EQ(Field(r.out, "Unauthenticated:"), "00:00:00.000");
    EXPECT_EQ(Field(r.out, "CheckSum:"), "0");
    EXPECT_EQ(Field(r.out, "File Header:"), "sound");
    EXPECT_TRUE(Has(r.out, "Irregular blocks: 0"));
    EXPECT_TRUE(Has(r.out, "Fri, 14 Mar 2008, 09:26:53"));
    EXPECT_TRUE(r.err.empty()) << r.err;   // no progress when stderr is not a terminal
}

TEST_F(CliTool, VerifyJsonCarriesTheCountsAndTheIrregularRuns) {
    const std::string path = Image({{FaultKind::PayloadByte, 2}, {FaultKind::PayloadByte, 3},
                                    {FaultKind::PayloadByte, 4}, {FaultKind::UnitNumber, 7},
                                    {FaultKind::BadHeader, 0}});
    const ToolRun r = RunTool({"verify", "--json", path});
    EXPECT_EQ(r.status, 1);
    for (const char* part :
         {"\"format\": \"IM2\"", "\"file_number\": 12", "\"start\": \"Fri, 14 Mar 2008, 09:26:53\"",
          "\"sample_rate\": 8000", "\"bits\": 16", "\"channels\": 1", "\"blocks\": 20",
          "\"header_ok\": false", "\"complete\": true", "\"excess_bytes\": 0",
          "\"authentic\": false", "\"duration\": \"00:00:00.640\"",
          "\"verified\": \"00:00:00.512\"", "\"irregularities\": \"00:00:00.128\"",
          "\"unauthenticated\": \"00:00:00.000\"", "\"duration_ms\": 640", "\"verified_ms\": 512",
          "\"irregular_ms\": 128", "\"unauthenticated_ms\": 0", "\"unit_id\": 1",
          "\"checksum\": 4", "\"sequence\": 0", "\"verified_blocks\": 16",
          "\"irregular_blocks\": 4", "\"voice_checksum_errors\": null"})
        EXPECT_TRUE(Has(r.out, part)) << part << "\n" << r.out;
    // Three damaged blocks in a row are one run; the header is a run of its own.
    const std::string runs = Flat(r.out);
    for (const char* run :
         {R"({"first_index": -1,"last_index": -1,"status": "0x84000008","start_ms": 0,"end_ms": 0})",
          R"({"first_index": 2,"last_index": 4,"status": "0x80000008","start_ms": 64,"end_ms": 160})",
          R"({"first_index": 7,"last_index": 7,"status": "0x80000001","start_ms": 224,"end_ms": 256})"})
        EXPECT_TRUE(Has(runs, run)) << run << "\n" << runs;
    EXPECT_EQ(Occurrences(runs, "first_index"), 3u);
    const ToolRun text = RunTool({"verify", path});
    EXPECT_EQ(Field(text.out, "Irregular blocks:"), "5 in 3 runs");
    EXPECT_TRUE(Has(text.out, "           2           4  0x80000008            64           160\n"))
        << text.out;
}

TEST_F(CliTool, VerifyJsonIsOneDocumentWhateverTheNumberOfImages) {
    const std::string good = Image({}, "good.IM2");
    const std::string missing = (m_dir / "missing.IM2").string();
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
    EXPECT_TRUE(Has(Flat(two.out), "{\"path\": \"" + missing +
                                        "\",\"error\": \"No such file or directory\"}"));
    EXPECT_EQ(Flat(two.out).substr(Flat(two.out).size() - 3), "}]}");
}

// An IMG image whose record n is wiped as the unit erases flash, the voice-image checksums of
// the records after it mended so that only the wiped record betrays it.
std::function<bool(const std::string&)> EraseImgRecord(synth::ImgOptions img, int n) {
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
    synth::Ix2Options ix2;
    ix2.audio.storedBits = 16;
    ix2.audio.blocks = 40;
    ix2.splitFirst = 100;
    ix2.recordingLast = 999;
    synth::Ix2Options chain = ix2;
    chain.chain = true;
    const synth::ImgOptions img{.bits = 5, .records = 30, .erased = 3};
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> write;
        std::size_t appended;   // bytes of junk after the image
        int status;
    };
    const auto im2 = [](std::vector<Fault> f) {
        return [f](const std::string& p) { return synth::WriteIm2File(p, {.blocks = 40}, f); };
    };
    const Case cases[] = {
        {"F00001.IM2", im2({}), 0, 0},
        {"F00002.IM2", im2({}), 100 * 1024, 1},   // 100 KB past the stated blocks
        {"F00003.IM2", im2({}), 300, 1},          // a cut record past them
        {"F00004.IM2", im2({{FaultKind::TruncateLast, 100}}), 0, 1},
        {"P00005.IX2", [&](const std::string& p) { return synth::WriteIx2File(p, ix2); }, 0, 0},
        {"P00006.IX2", [&](const std::string& p) { return synth::WriteIx2File(p, ix2); }, 100 * 1024, 1},
        {"C00007.IX2", [&](const std::string& p) { return synth::WriteIx2File(p, chain); }, 0, 0},
        {"C00008.IX2", [&](const std::string& p) { return synth::WriteIx2File(p, chain); }, 528, 1},
        {"V00009.IMG", [&](const std::string& p) { return synth::WriteImgFile(p, img); }, 0, 0},
        {"V00010.IMG", [&](const std::string& p) { return synth::WriteImgFile(p, img); }, 100, 1},
        {"V00011.IMG",
         [&](const std::string& p) {
             return synth::WriteImgFile(p, img, std::vector<synth::ImgFault>{{synth::ImgFaultKind::VoiceChecksum, 12}});
         },
         0, 1},
        {"V00012.IMG", EraseImgRecord(img, 10), 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (m_dir / c.name).string();
        ASSERT_TRUE(c.write(path));
        if (c.appended > 0)
            Append(path, c.appended);
        const ToolRun verify = RunTool({"verify", "--json", path});
        EXPECT_EQ(verify.status, c.status) << verify.out;
        EXPECT_TRUE(Has(verify.out, c.status == 0 ? "\"authentic\": true" : "\"authentic\": false"));
        const ToolRun convert = RunTool({"convert", path, "--out", Out(), "--yes"});
        EXPECT_EQ(convert.status, c.status) << convert.err;
    }
    // The voice-image checksum chain is counted apart from the window's four counts.
    const ToolRun voice = RunTool({"verify", (m_dir / "V00011.IMG").string()});
    EXPECT_EQ(Field(voice.out, "Voice CheckSum Errors:"), "1");
    EXPECT_EQ(Field(voice.out, "CheckSum:"), "0");
    EXPECT_EQ(Field(voice.out, "Verified:"), "00:00:03.060");
    EXPECT_TRUE(Has(voice.out, "0x80000100")) << voice.out;
    const ToolRun padded = RunTool({"verify", (m_dir / "F00003.IM2").string()});
    EXPECT_EQ(Field(padded.out, "Blocks:"), "40 stated, 40 in the file, 300 bytes past them");
    EXPECT_EQ(Field(padded.out, "File Length:"), "complete");   // as the window shows it
}

// Standard output is the result: when it cannot take it, the run fails and says so.
TEST_F(CliTool, AnUnwritableStandardOutputFailsTheRun) {
    const std::string path = Image();
    using Out = testing::ToolLimits::Stdout;
    for (const Out out : {Out::DevFull, Out::ClosedPipe}) {
        for (const std::vector<std::string>& args :
             std::vector<std::vector<std::string>>{{"verify", path}, {"verify", "--json", path},
                                                   {"details", path}, {"--help"}}) {
            SCOPED_TRACE(args[0] + (out == Out::DevFull ? " > /dev/full" : " | (closed)"));
            const ToolRun r = RunTool(args, {.out = out});
            EXPECT_EQ(r.status, 4) << r.err;
            EXPECT_TRUE(Has(r.err, out == Out::DevFull ? "No space left on device" : "Broken pipe"))
                << r.err;
        }
    }
}

TEST_F(CliTool, AnInterruptedBatchEndsWithTheInterruptsStatusAndAWholeDocument) {
    const std::string path = Image({}, "F00012.IM2", 4000);
    std::vector<std::string> args = {"verify", "--json"};
    args.insert(args.end(), 300, path);
    const ToolRun r = testing::RunToolInterrupted(args);
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_LT(Occurrences(r.out, "\"path\""), 300u);
    EXPECT_EQ(Flat(r.out).substr(Flat(r.out).size() - 3), "}]}");
}

TEST_F(CliTool, UnreadableImagesNameThePathAndTheReason) {
    std::ofstream(m_dir / "empty.IM2").close();
    std::ofstream(m_dir / "short.IM2") << std::string(600, 'x');
    std::ofstream(m_dir / "empty.IX2").close();
    std::ofstream(m_dir / "short.IX2") << std::string(1711, 'x');   // not all three index blocks
    struct Case {
        std::string path;
        const char* reason;
    };
    for (const Case& c : {Case{(m_dir / "none.IM2").string(), "No such file or directory"},
                          Case{m_dir.string() + "/sub.IM2", "No such file or directory"},
                          Case{(m_dir / "empty.IM2").string(), "too short"},
                          Case{(m_dir / "empty.IX2").string(), "too short"},
                          Case{(m_dir / "short.IX2").string(), "too short"},
                          Case{(m_dir / "plain.wav").string(), "must contain .IX2, .IM2 or .IMG"}}) {
        for (const char* command : {"verify", "details"}) {
            const ToolRun r = RunTool({command, c.path});
            EXPECT_EQ(r.status, 3) << command << " " << c.path;
            EXPECT_TRUE(Has(r.err, c.path)) << r.err;
            EXPECT_TRUE(Has(r.err, c.reason)) << r.err;
            EXPECT_TRUE(r.out.empty()) << r.out;
        }
    }
    fs::create_directories(m_dir / "folder.IM2");
    const ToolRun dir = RunTool({"details", (m_dir / "folder.IM2").string()});
    EXPECT_EQ(dir.status, 3);
    EXPECT_TRUE(Has(dir.err, "directory")) << dir.err;
    // Not whole records after the header: judged, not refused.
    const ToolRun ragged = RunTool({"verify", (m_dir / "short.IM2").string()});
    EXPECT_NE(ragged.status, 3) << ragged.err;
}

TEST_F(CliTool, DetailsPrintsTheDialogAsText) {
    const ToolRun r = RunTool({"details", Image()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "The details of the loaded IM2 file are:\n"));
    EXPECT_TRUE(Has(r.out, "\nRecording Number: 12\nSample Rate (Hz): 8000\nChannels: 1\n"
                           "Bits Per Sample: 16\nTime and Length Details:\nRecording:\n"
                           "Start:\tFri, 14 Mar 2008, 09:26:53\nDuration:\t0:00:00\n"
                           "Complete:\tYES\n"))
        << r.out;
    EXPECT_FALSE(Has(r.out, "\r"));
}

TEST_F(CliTool, AnIm2InAFolderNamedIx2IsReadAsIm2ByEveryCommand) {
    fs::create_directories(m_dir / "x.IX2");
    const std::string path = Image({}, "x.IX2/F1.im2", 2000);   // 64 s of audio
    const ToolRun verify = RunTool({"verify", "--json", path});
    EXPECT_EQ(verify.status, 0) << verify.err;
    for (const char* part : {"\"format\": \"IM2\"", "\"blocks\": 2000",
                             "\"duration\": \"00:01:04.000\"", "\"verified_blocks\": 2000"})
        EXPECT_TRUE(Has(verify.out, part)) << part << "\n" << verify.out;
    EXPECT_TRUE(Has(RunTool({"details", path}).out, "The details of the loaded IM2 file are:\n"));
    EXPECT_EQ(RunTool({"peaks", path, "--width", "4"}).out.rfind("blocks: 2000\n", 0), 0u);
    EXPECT_EQ(RunTool({"convert", path, "--out", Out()}).status, 0);
    EXPECT_EQ(fs::file_size(m_dir / "out" / "F1.00.wav"), 44u + 2000u * 512u);
}

TEST_F(CliTool, ConvertWritesSegmentsAndLeavesAnExistingOneAloneWithoutYes) {
    const std::string path = Image({}, "F00012.IM2", 4000);   // 128 s of audio
    const ToolRun first = RunTool({"convert", path, "--out", Out(), "--minutes", "1"});
    EXPECT_EQ(first.status, 0) << first.err;
    for (const char* name : {"F00012.00.wav", "F00012.00.txt", "F00012.01.wav", "F00012.01.txt",
                             "F00012.02.wav", "F00012.02.txt"})
        EXPECT_TRUE(fs::exists(m_dir / "out" / name)) << name;
    EXPECT_EQ(fs::file_size(m_dir / "out" / "F00012.00.wav"), 44u + 960000u);
    EXPECT_TRUE(Has(first.out, "F00012.02.txt"));

    const std::string before = Slurp(m_dir / "out" / "F00012.00.txt");
    fs::remove(m_dir / "out" / "F00012.02.wav");
    const ToolRun again = RunTool({"convert", path, "--out", Out()});
    EXPECT_EQ(again.status, 4);   // an output refused, not an irregular image
    EXPECT_TRUE(Has(again.err, "--yes"));
    EXPECT_EQ(Slurp(m_dir / "out" / "F00012.00.txt"), before);
    EXPECT_FALSE(fs::exists(m_dir / "out" / "F00012.02.wav"));

    // One segment replaces the earlier run's three: none of theirs stays beside it.
    const ToolRun forced = RunTool({"convert", path, "--out", Out(), "--yes"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(fs::file_size(m_dir / "out" / "F00012.00.wav"), 44u + 4000u * 512u);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "out"), fs::directory_iterator()), 2);
}

TEST_F(CliTool, ConvertOfADamagedImageSaysSoInItsStatus) {
    const ToolRun r =
        RunTool({"convert", Image({{FaultKind::Timestamp, 3}}), "--out", Out(), "--yes"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(Has(Slurp(m_dir / "out" / "F00012.00.txt"), "Timestamp Errors: 1"));
}

TEST_F(CliTool, ConvertRefusesAMissingFolderAndAnUnreadableSource) {
    const ToolRun noFolder = RunTool({"convert", Image(), "--out", (m_dir / "nope").string()});
    EXPECT_EQ(noFolder.status, 2);
    EXPECT_TRUE(Has(noFolder.err, "nope"));
    const ToolRun noSource = RunTool({"convert", (m_dir / "gone.IM2").string(), "--out", Out()});
    EXPECT_EQ(noSource.status, 3);
    EXPECT_TRUE(Has(noSource.err, "gone.IM2"));
    EXPECT_TRUE(fs::is_empty(m_dir / "out"));
}

class CliIx2 : public CliTool {
protected:
    std::string Split(bool chain, std::vector<Fault> faults = {}) {
        synth::Ix2Options o;
        o.audio.storedBits = 16;
        o.audio.blocks = 50;
        o.splitFirst = 200;
        o.recordingLast = 999;
        o.chain = chain;
        const std::string path = (m_dir / (chain ? "C00012.IX2" : "P00012.IX2")).string();
        EXPECT_TRUE(synth::WriteIx2File(path, o, faults));
        return path;
    }
};

TEST_F(CliIx2, VerifyShowsAChainWithItsSlaveIdentity) {
    const ToolRun r = RunTool({"verify", Split(true)});
    EXPECT_EQ(r.status, 0) << r.err << r.out;
    EXPECT_EQ(Field(r.out, "Unit ID:"), "QM-04242 (Slave QM-00777)");
    EXPECT_EQ(Field(r.out, "File Number:"), "12 (Slave 3)");
    EXPECT_EQ(Field(r.out, "Duration:"), "00:00:01.600");   // the split's 50 blocks
    EXPECT_EQ(Field(r.out, "Verified:"), "00:00:01.600");
    const ToolRun plain = RunTool({"verify", Split(false)});
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(Field(plain.out, "Unit ID:"), "QM-04242");
}

TEST_F(CliIx2, VerifyJsonCarriesTheSplitAndTheSlave) {
    const ToolRun chain = RunTool({"verify", "--json", Split(true, {{FaultKind::PayloadByte, 9}})});
    EXPECT_EQ(chain.status, 1);
    for (const char* part : {"\"format\": \"IX2\"", "\"slave_unit_id\": \"QM-00777\"",
                             "\"slave_file_number\": 3", "\"split_first\": 200",
                             "\"split_last\": 249", "\"split_blocks\": 50",
                             "\"whole_split\": true", "\"blocks\": 1000", "\"first_index\": 9",
                             "\"verified_blocks\": 49"})
        EXPECT_TRUE(Has(chain.out, part)) << part << "\n" << chain.out;
    const ToolRun plain = RunTool({"verify", "--json", Split(false)});
    EXPECT_FALSE(Has(plain.out, "slave_unit_id"));
    EXPECT_TRUE(Has(plain.out, "\"split_blocks\": 50"));
}

TEST_F(CliIx2, FileWithItsIndexButNoBlocksIsJudgedWithItsSplitUnknown) {
    const std::string path = (m_dir / "short.IX2").string();
    synth::Ix2Options o;
    o.cutTo = 2000;
    ASSERT_TRUE(synth::WriteIx2File(path, o));
    const ToolRun r = RunTool({"verify", "--json", path});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(Has(r.out, "\"split_first\": null")) << r.out;
    EXPECT_TRUE(Has(r.out, "\"authentic\": false"));
}

TEST_F(CliIx2, ConvertAndDetailsReadTheChainsInnerStream) {
    const std::string path = Split(true);
    const ToolRun convert = RunTool({"convert", "--out", Out(), path});
    EXPECT_EQ(convert.status, 0) << convert.err;
    EXPECT_EQ(fs::file_size(m_dir / "out" / "C00012.00.wav"), 44u + 50 * 512);
    EXPECT_TRUE(Has(Slurp(m_dir / "out" / "C00012.00.txt"), "IX2 Split Length: 0:00:01\r\n"));
    const ToolRun details = RunTool({"details", path});
    EXPECT_EQ(details.status, 0) << details.err;
    EXPECT_TRUE(Has(details.out, "The details of the loaded IX2 chain file are:\n"
                                 "Unit ID: QM-04242 (slave QM-00777)\n"
                                 "Recording Number: 12 (slave 3)\n"))
        << details.out;
}

TEST_F(CliIx2, PeaksPrintOneLinePerColumnAndRefuseWhatCannotBeRead) {
    const ToolRun chain = RunTool({"peaks", Split(true), "--width", "8"});
    EXPECT_EQ(chain.status, 0) << chain.err;
    EXPECT_EQ(chain.out.rfind("blocks: 50\ncolumns: 8 of 8\nchannels: 1\n0\t", 0), 0u) << chain.out;
    EXPECT_EQ(std::count(chain.out.begin(), chain.out.end(), '\n'), 3 + 8);
    // The same audio gives the same overview, whichever form carries it.
    EXPECT_EQ(RunTool({"peaks", Split(false), "--width=8"}).out, chain.out);
    const ToolRun missing = RunTool({"peaks", (m_dir / "gone.IM2").string()});
    EXPECT_EQ(missing.status, 3);
    EXPECT_TRUE(Has(missing.err, "Failed to open: ")) << missing.err;
    EXPECT_EQ(RunTool({"peaks", Split(true), "--width", "0"}).status, 2);
}

TEST_F(CliTool, ImgImagesAreVerifiedConvertedAndDescribed) {
    const std::string path = (m_dir / "V00007.IMG").string();
    ASSERT_TRUE(synth::WriteImgFile(path, {.bits = 5, .records = 25, .erased = 4},
                                    std::vector<synth::ImgFault>{{synth::ImgFaultKind::RecordIndex, 9}}));
    const ToolRun verify = RunTool({"verify", path});
    EXPECT_EQ(verify.status, 1) << verify.err;
    EXPECT_EQ(Field(verify.out, "Unit ID:"), "QL-1A2B");
    EXPECT_EQ(Field(verify.out, "File Header:"), "not judged");
    EXPECT_FALSE(Has(verify.out, "Start:"));
    EXPECT_EQ(Field(verify.out, "Sequence / Timing:"), "1");
    const ToolRun json = RunTool({"verify", "--json", path});
    EXPECT_TRUE(Has(json.out, "\"start\": null")) << json.out;
    EXPECT_TRUE(Has(json.out, "\"format\": \"IMG\""));

    const ToolRun convert = RunTool({"convert", "--out", Out(), path});
    EXPECT_EQ(convert.status, 1) << convert.err;   // record 9 is irregular
    EXPECT_EQ(fs::file_size(m_dir / "out" / "V00007.00.wav"), 44u + 24 * 817);
    EXPECT_TRUE(Has(Slurp(m_dir / "out" / "V00007.00.txt"), "INDEX:10\r\n"));

    const ToolRun details = RunTool({"details", path});
    EXPECT_EQ(details.status, 0) << details.err;
    EXPECT_TRUE(Has(details.out, "The details of the loaded IMG file are:\nUnit ID: QL-1A2B\n"
                                 "Recording Number: 7\nSample Rate (Hz): 8000\nChannels: 1\n"
                                 "Bits Per Sample: 5\nTime and Length Details:\nDuration:\t0:00:02\n"))
        << details.out;
}

}  // namespace
}  // namespace tvx::cli

// The tool against what a machine or a hostile folder can put in its way: a disk that fills
// while it converts, paths that are no regular file, and sparse images past 4 GiB.

#include "run_tool.h"

#include "core/block_record.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;
using namespace testing;

using HostileInput = ToolTest;

TEST_F(HostileInput, AFullDiskEndsTheConversionAsCancelDoes) {
    // RLIMIT_FSIZE caps every file the tool writes, so the WAV fills long before the text.
    constexpr std::uint64_t kLimit = 200'000;
    synth::Ix2Options ix2;
    ix2.audio.blocks = 1000;
    ASSERT_TRUE(synth::WriteIm2File(Path("F00012.IM2"), ix2.audio));
    ASSERT_TRUE(synth::WriteIx2File(Path("P00012.IX2"), ix2));
    ix2.chain = true;
    ASSERT_TRUE(synth::WriteIx2File(Path("C00012.IX2"), ix2));
    ASSERT_TRUE(synth::WriteImgFile(Path("V00007.IMG"), {.bits = 8, .records = 1001}));
    for (const std::string stem : {"F00012", "P00012", "C00012", "V00007"}) {
        const std::string image = Path(stem + (stem[0] == 'F' ? ".IM2" : stem[0] == 'V' ? ".IMG" : ".IX2"));
        SCOPED_TRACE(image);
        const fs::path whole = m_dir / (stem + "-whole"), full = m_dir / (stem + "-full");
        fs::create_directories(whole);
        fs::create_directories(full);
        ASSERT_EQ(RunTool({"convert", image, "--out", whole.string()}).status, 0);
        const ToolRun r = RunTool({"convert", image, "--out", full.string()}, {.fileSizeLimit = kLimit});
        EXPECT_EQ(r.status, 4) << r.err;   // an output could not be written
        EXPECT_TRUE(Has(r.err, (full / (stem + ".00.wav")).string() + ": The disk is full")) << r.err;
        EXPECT_TRUE(Has(r.err, "Decryption Cancelled.")) << r.err;
        const std::string text = Slurp(full / (stem + ".00.txt"));
        EXPECT_TRUE(text.ends_with("Creating File: " + stem + ".00.wav\r\r\nDecryption Cancelled.\r\n")) << text;
        const std::string wav = Slurp(full / (stem + ".00.wav"));
        ASSERT_EQ(wav.size(), kLimit);
        EXPECT_EQ(Le32(wav, 4), kLimit - 8);
        EXPECT_EQ(Le32(wav, 40), kLimit - 44);
        // What it holds is the beginning of the whole conversion, byte for byte.
        const std::string reference = Slurp(whole / (stem + ".00.wav"));
        ASSERT_GT(reference.size(), kLimit);
        EXPECT_EQ(wav.substr(44), reference.substr(44, kLimit - 44));
        EXPECT_EQ(std::distance(fs::directory_iterator(full), fs::directory_iterator()), 2);
    }
    // 120 bytes: the WAV's header fits, the text's heading does not. The limit caps what the
    // tool can say on stderr too: the name of the file comes first.
    const ToolRun r = RunTool({"convert", Path("F00012.IM2"), "--out", Out()}, {.fileSizeLimit = 120});
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_TRUE(Has(r.err, Path("out/F00012.00.txt") + ": The disk")) << r.err;
    EXPECT_EQ(Slurp(Path("out/F00012.00.wav")).size(), 44u);
    EXPECT_EQ(Le32(Slurp(Path("out/F00012.00.wav")), 40), 0u);
    EXPECT_EQ(Slurp(Path("out/F00012.00.txt")).size(), 120u);
    EXPECT_FALSE(Has(Slurp(Path("out/F00012.00.txt")), "Decryption"));
}

TEST_F(HostileInput, ImagesThatCannotBeReadAreNamedWithTheReasonAndNeverWaitedOn) {
    // Each under a name the tool would read: a folder, a FIFO (whose open or read would wait
    // for a writer forever), a device that never ends, a link that leads to itself, nothing,
    // and files too short for their format.
    std::ofstream(Path("empty.IM2")).close();
    std::ofstream(Path("empty.IX2")).close();
    std::ofstream(Path("short.IX2")) << std::string(1711, 'x');   // not all three index blocks
    struct Bad {
        std::string path;
        const char* reason;
    };
    std::vector<Bad> bad = {{Path("none.IM2"), "No such file or directory"},
                            {Path("empty.IM2"), "too short"},
                            {Path("empty.IX2"), "too short"},
                            {Path("short.IX2"), "too short"},
                            {Path("plain.wav"), "must contain .IX2, .IM2 or .IMG"}};
    for (const std::string ext : {".IM2", ".IX2", ".IMG"}) {
        fs::create_directories(Path("folder" + ext));
        ASSERT_EQ(::mkfifo(Path("fifo" + ext).c_str(), 0600), 0);
        fs::create_symlink("/dev/zero", Path("zero" + ext));
        fs::create_symlink(Path("loop" + ext), Path("loop" + ext));
        bad.insert(bad.end(), {{Path("folder" + ext), "Is a directory"},
                               {Path("fifo" + ext), "Not a regular file"},
                               {Path("zero" + ext), "Not a regular file"},
                               {Path("loop" + ext), "Too many levels of symbolic links"}});
    }
    const std::vector<std::vector<std::string>> commands = {
        {"verify"}, {"verify", "--json"}, {"details"}, {"peaks"}, {"convert", "--yes", "--out", Out()}};
    for (const Bad& b : bad) {
        for (std::vector<std::string> args : commands) {
            if (args[0] == "peaks" && b.reason == std::string("too short"))
                continue;   // an overview of nothing
            SCOPED_TRACE(args[0] + " " + b.path);
            const bool json = args.size() > 1 && args[1] == "--json";
            args.insert(args.begin() + 1, b.path);
            const ToolRun r = RunTool(args, {.deadlineSeconds = 20});
            ASSERT_FALSE(r.timedOut);
            EXPECT_EQ(r.status, 3);
            const std::string& said = json ? r.out : r.err;
            EXPECT_TRUE(Has(said, b.path)) << said;
            EXPECT_TRUE(Has(said, b.reason) || (args[0] == "peaks" && Has(said, "Failed to open: "))) << said;
            if (!json) {
                EXPECT_TRUE(r.out.empty()) << r.out;
            }
        }
    }
    EXPECT_TRUE(fs::is_empty(Out()));
    // Not whole records after the header: judged, not refused.
    std::ofstream(Path("short.IM2")) << std::string(600, 'x');
    EXPECT_NE(RunTool({"verify", Path("short.IM2")}).status, 3);
}

TEST_F(HostileInput, SegmentNamesThatAreNoRegularFileAreRefusedAndNeverWaitedOn) {
    // A FIFO opened for writing would wait for a reader; a link would lead the audio elsewhere,
    // here into /dev/full. A later segment's name counts as much as the first's, even where
    // this image fills only one segment: it would be left beside this run's files.
    ASSERT_TRUE(synth::WriteIm2File(Path("F00012.IM2"), {.blocks = 20}));
    for (const std::string name : {"F00012.00.wav", "F00012.01.txt"}) {
        for (const std::string what : {"fifo", "folder", "full"}) {
            SCOPED_TRACE(name + " " + what);
            const fs::path out = m_dir / ("out-" + what + "-" + name);
            fs::create_directories(out);
            const std::string at = (out / name).string();
            if (what == "fifo")
                ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0);
            else if (what == "folder")
                fs::create_directories(at);
            else
                fs::create_symlink("/dev/full", at);
            const ToolRun r = RunTool({"convert", Path("F00012.IM2"), "--out", out.string(), "--yes"},
                                      {.deadlineSeconds = 20});
            ASSERT_FALSE(r.timedOut);
            EXPECT_EQ(r.status, 4);
            const char* reason = what == "fifo" ? "Not a regular file" : what == "folder" ? "Is a directory" : "Is a symbolic link";
            EXPECT_TRUE(Has(r.err, at + ": " + reason)) << r.err;
            EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
        }
    }
}

// A sparse file of `bytes` with real records at the given offsets: gigabytes that cost no disk.
void WriteSparse(const std::string& path, std::uint64_t bytes, const std::vector<std::pair<std::uint64_t, Record>>& records,
                 const std::vector<std::uint8_t>& front = {}) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(bytes)), 0);
    ASSERT_EQ(::pwrite(fd, front.data(), front.size(), 0), static_cast<ssize_t>(front.size()));
    for (const auto& [at, record] : records)
        ASSERT_EQ(::pwrite(fd, record.data(), record.size(), static_cast<off_t>(at)), static_cast<ssize_t>(record.size()));
    ::close(fd);
}

TEST_F(HostileInput, SparseImagesPastFourGiBAreMeasuredAndReadWhereTheyEnd) {
    // 8,200,000 blocks of 528 bytes: blocks from 8,134,408 on lie past 4 GiB. With 1,000
    // columns the last one draws block 8,191,800, the only real record there besides block 0;
    // a position cut to 32 bits would land in zeros and draw nothing.
    constexpr std::uint32_t kBlocks = 8'200'000;
    constexpr std::uint64_t kFar = 8'191'800;
    const synth::Im2Options o{.storedBits = 16, .blocks = 1, .statedBlocks = kBlocks};
    WriteSparse(Path("F00012.IM2"), (kBlocks + 1ull) * 528,
                {{0, synth::HeaderRecord(o)}, {528, synth::DataRecord(o, 0)}, {(kFar + 1) * 528, synth::DataRecord(o, kFar)}});
    synth::Ix2Options x;
    x.audio = o;
    x.splitLast = kBlocks - 1;
    WriteSparse(Path("P00012.IX2"), 1712 + kBlocks * 528ull, {{1712 + kFar * 528, synth::DataRecord(o, kFar)}},
                synth::MakeIx2(x));
    // IMG: records counted from the end back over the erased tail; zeros are no erased flash.
    // Only drawing matters here, so the far records repeat record 2: synthesizing record n
    // runs the voice checksum through all before it.
    const synth::ImgOptions g{.bits = 5, .records = 2};
    const Record audio = synth::ImgRecord(g, 2);
    WriteSparse(Path("V00007.IMG"), (kBlocks + 1ull) * 528,
                {{0, synth::ImgRecord(g, 1)}, {528, audio}, {(kFar + 1) * 528, audio}, {kBlocks * 528ull, audio}});

    // 8,200,000 blocks of 32 ms: 262,400 s; 8,200,001 records of 816 samples at 8 kHz: 836,400,102 ms.
    struct Case {
        const char* name;
        std::string details;
        const char* blocks;
    };
    for (const Case& c : {Case{"F00012.IM2", "Duration:\t72:53:20\nComplete:\tYES\n", "blocks: 8200000\n"},
                          Case{"P00012.IX2", "---This Split File---\nStart:\tFri, 14 Mar 2008, 09:26:53\n"
                                             "Duration:\t72:53:20\nComplete:\tYES\n", "blocks: 8200000\n"},
                          Case{"V00007.IMG", "Duration:\t232:20:00\n", "blocks: 8200001\n"}}) {
        SCOPED_TRACE(c.name);
        const ToolRun details = RunTool({"details", Path(c.name)});
        EXPECT_EQ(details.status, 0) << details.err;
        EXPECT_TRUE(Has(details.out, c.details)) << details.out;
        const ToolRun peaks = RunTool({"peaks", Path(c.name)});
        EXPECT_EQ(peaks.status, 0) << peaks.err;
        EXPECT_TRUE(Has(peaks.out, c.blocks + std::string("columns: 1000 of 1000\n"))) << peaks.out.substr(0, 80);
        std::vector<unsigned> columns;   // the peak-to-peak value of each
        std::istringstream lines(peaks.out);
        for (std::string line; std::getline(lines, line);) {
            unsigned column = 0, peak = 0;
            if (line.find(':') == std::string::npos && std::sscanf(line.c_str(), "%u\t%u", &column, &peak) == 2)
                columns.push_back(peak);
        }
        ASSERT_EQ(columns.size(), 1000u);
        EXPECT_GT(columns[0], 0u);
        EXPECT_EQ(columns[500], 0u);
        EXPECT_EQ(columns[998], 0u);
        EXPECT_GT(columns[999], 0u);
    }
}

}  // namespace
}  // namespace tvx::cli

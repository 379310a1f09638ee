// A source image is evidence: every command that reads one leaves its bytes, its size, its
// modification and change times, its inode and its links exactly as they were, whatever the
// command writes and wherever, for every kind of image, sound or damaged. And the tool against
// what a machine or a hostile folder can put in its way: a disk that fills while it converts,
// and paths that are no regular file.
#include "run_tool.h"

#include <algorithm>
#include <numeric>

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;
using synth::FaultKind;
using namespace testing;

using SourceUntouched = ToolTest;
using HostileInput = ToolTest;

// An IMG image whose record n is wiped as the unit erases flash, the voice-image checksums of
// the records after it mended so that only the wiped record betrays it.
Writer EraseImgRecord(synth::ImgOptions img, std::size_t n) {
    return [img, n](const std::string& p) {
        std::vector<std::uint8_t> bytes = synth::MakeImg(img);
        const auto at = bytes.begin() + static_cast<std::ptrdiff_t>((n - 1) * 528);
        const std::uint8_t wiped = std::accumulate(at, at + 512, std::uint8_t{0});
        std::fill_n(at, 528, 0xFF);
        for (auto r = at + 528; r < bytes.end() - img.erased * 528; r += 528)
            r[527] = static_cast<std::uint8_t>(r[527] - wiped);
        return synth::WriteBytes(p, bytes);
    };
}

// Authentic means every byte the image should hold, and nothing more, was judged authentic:
// verify, convert and report give the same verdict on the same image, and no command changes it.
TEST_F(SourceUntouched, EveryCommandGivesTheVerdictAndLeavesTheImageAsItWas) {
    const synth::ImgOptions img{.bits = 5, .records = 30, .erased = 3};
    synth::Ix2Options cutChain;
    cutChain.chain = true;
    cutChain.cutTo = 5000;
    // Name, image, bytes of junk after it, and the status of verify and convert.
    const std::tuple<std::string, Writer, std::size_t, int> cases[] = {
        {"F00001.IM2", Im2(40), 0, 0},
        {"F00002.IM2", Im2(40), 100 * 1024, 1},   // 100 KB past the stated blocks
        {"F00003.IM2", Im2(40), 300, 1},          // a cut record past them
        {"F00004.IM2", Im2(40, {{FaultKind::TruncateLast, 100}}), 0, 1},
        {"F00005.IM2", Im2(40, {{FaultKind::Timestamp, 3}, {FaultKind::BlockOrder, 10}}), 0, 1},
        {"F00006.IM2", Im2(40, {{FaultKind::BadHeader, 0}}), 0, 1},
        {"x.IX2/F1.im2", Im2(40), 0, 0},   // read by the rules of its own name, not its folder's
        {"P00005.IX2", Ix2(false, 40), 0, 0},
        {"P00006.IX2", Ix2(false, 40), 100 * 1024, 1},
        {"C00007.IX2", Ix2(true, 40), 0, 0},
        {"C00008.IX2", Ix2(true, 40), 528, 1},
        {"C00009.IX2", [&cutChain](const std::string& p) { return synth::WriteIx2File(p, cutChain); }, 0, 1},
        {"V00009.IMG", Img(img), 0, 0},
        {"V00010.IMG", Img(img), 100, 1},
        {"V00011.IMG", Img(img, {{synth::ImgFaultKind::VoiceChecksum, 12}}), 0, 1},
        {"V00012.IMG", EraseImgRecord(img, 10), 0, 1},
    };
    fs::create_directories(Path("x.IX2"));
    // The disk driver takes the sound as fast as it comes, so whole images play in moments.
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", Path("out/sound.raw").c_str(), 1);
    ::setenv("SDL_DISKAUDIODELAY", "0", 1);
    for (const auto& [name, write, appended, judged] : cases) {
        const std::string image = Write(name, write);
        std::ofstream(image, std::ios::binary | std::ios::app) << std::string(appended, '\x5A');
        const std::string before = Evidence(image);
        // Converting beside the image writes into its folder.
        for (const auto& args : {std::vector<std::string>{"verify", image}, {"verify", "--json", "--hash", image},
                                 {"convert", image, "--out", Out(), "--minutes", "1", "--yes"},
                                 {"convert", image, "--out", m_dir.string(), "--yes"}, {"details", image},
                                 {"peaks", image}, {"play", image},
                                 {"report", image, "--out", Out() + "/report.pdf", "--yes"}}) {
            SCOPED_TRACE(args[0] + " " + args.back() + " " + name);
            const ToolRun r = RunTool(args);
            // Without the desktop program's libraries there is no report to write.
            const int report = TVX_REPORT_BUILT ? judged : 4;
            const int status = args[0] == "verify" || args[0] == "convert" ? judged
                               : args[0] == "report"                       ? report
                                                                           : 0;
            EXPECT_TRUE(args[0] == "play" ? Has(r.out, "Blocks judged:") : r.status == status)
                << r.status << " " << r.err;
            EXPECT_TRUE(Evidence(image) == before) << "the image changed";
        }
    }
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_TRUE(Has(RunTool({"verify", Path("F00003.IM2")}).out,   // the length as the window shows it
                    "complete\nBlocks:               40 stated, 40 in the file, 300 bytes past them\n"));
}

// Only a new file is written: a FIFO would wait for a reader, a folder would lose the audio, a
// link would lead it elsewhere, a hard link into the image itself; --yes helps none of them. A
// later segment's name counts as much as the first's, though these images fill only one.
TEST_F(SourceUntouched, ASegmentNameThatIsNoNewFileIsRefused) {
    using Maker = std::function<void(const std::string& image, const std::string& at)>;
    const std::tuple<std::string, Writer, std::string, Maker, std::string> cases[] = {
        {"F00012.IM2", Im2(), "F00012.00.wav", [](auto&, auto& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); },
         "Not a regular file"},
        {"P00012.IX2", Ix2(false), "P00012.01.txt", [](auto&, auto& at) { fs::create_directories(at); },
         "Is a directory"},
        {"V00007.IMG", Img({}), "V00007.00.wav", [](auto& image, auto& at) { fs::create_hard_link(image, at); },
         "Is the recording image itself"},
    };
    for (const auto& [name, write, segment, make, reason] : cases) {
        SCOPED_TRACE(segment);
        const std::string image = Write(name, write), out = Path("out-" + name);
        fs::create_directories(out);
        make(image, out + "/" + segment);
        const std::string before = Evidence(image);
        const ToolRun r = RunTool({"convert", image, "--out", out, "--yes"});
        EXPECT_EQ(r.status, 4);
        EXPECT_TRUE(Has(r.err, out + "/" + segment + ": " + reason)) << r.err;
        EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
        EXPECT_TRUE(Evidence(image) == before) << "the image changed";
    }
}

TEST_F(HostileInput, AFullDiskEndsTheConversionAsCancelDoes) {
    // RLIMIT_FSIZE caps every file the tool writes, so the WAV fills long before the text.
    const std::pair<std::string, Writer> images[] = {{"F00012.IM2", Im2(1000)}, {"C00012.IX2", Ix2(true, 1000)},
                                                     {"V00007.IMG", Img({.bits = 8, .records = 1001})}};
    for (const auto& [name, write] : images) {
        SCOPED_TRACE(name);
        const std::string segment = Path("out/") + name.substr(0, 6) + ".00.";
        const ToolRun r = RunTool({"convert", Write(name, write), "--out", Out()}, {.fileSizeLimit = 200'000});
        EXPECT_EQ(r.status, 4) << r.err;   // an output could not be written
        EXPECT_TRUE(r.err.ends_with(segment + "wav: The disk is full\nDecryption Cancelled.\n")) << r.err;
        const std::string text = Slurp(segment + "txt");
        EXPECT_TRUE(text.ends_with(name.substr(0, 6) + ".00.wav\r\r\nDecryption Cancelled.\r\n")) << text;
        EXPECT_EQ(std::distance(fs::directory_iterator(Out()), fs::directory_iterator()), 2);
        fs::remove_all(Out());
        fs::create_directories(Out());
    }
}

// One path for each reason an image cannot be read, the formats taking turns, through every
// command: a FIFO's open or read would wait for a writer forever, a device never ends.
TEST_F(HostileInput, ImagesThatCannotBeReadAreNamedWithTheReasonAndNeverWaitedOn) {
    std::ofstream(Path("empty.IM2")).close();
    std::ofstream(Path("short.IX2")) << std::string(1711, 'x');   // not all three index blocks
    fs::create_directories(Path("folder.IX2"));
    ASSERT_EQ(::mkfifo(Path("fifo.IM2").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", Path("zero.IMG"));
    fs::create_symlink(Path("loop.IX2"), Path("loop.IX2"));
    const std::pair<std::string, std::string> bad[] = {
        {"none.IMG", "No such file or directory"}, {"empty.IM2", "too short"}, {"short.IX2", "too short"},
        {"plain.wav", "must contain .IX2, .IM2 or .IMG"}, {"folder.IX2", "Is a directory"},
        {"fifo.IM2", "Not a regular file"}, {"zero.IMG", "Not a regular file"},
        {"loop.IX2", "Too many levels of symbolic links"}};
    const std::vector<std::vector<std::string>> commands = {
        {"verify"}, {"verify", "--json"}, {"details"}, {"peaks"}, {"play"}, {"convert", "--out", Out()}};
    for (const auto& [name, reason] : bad) {
        for (std::vector<std::string> args : commands) {
            if ((args[0] == "peaks" || args[0] == "play") && reason == "too short")
                continue;   // an overview of nothing, or nothing to play
            SCOPED_TRACE(args[0] + " " + name);
            const bool json = args.size() == 2;
            args.insert(args.begin() + 1, Path(name));
            const ToolRun r = RunTool(args);
            EXPECT_EQ(r.status, 3);
            const std::string& said = json ? r.out : r.err;
            EXPECT_TRUE(Has(said, Path(name))) << said;
            EXPECT_TRUE(Has(said, reason)) << said;
            EXPECT_TRUE(json || r.out.empty()) << r.out;
        }
    }
    EXPECT_TRUE(fs::is_empty(Out()));
    // Not whole records after the header: judged, not refused.
    std::ofstream(Path("short.IM2")) << std::string(600, 'x');
    EXPECT_EQ(RunTool({"verify", Path("short.IM2")}).status, 1);
}

}  // namespace
}  // namespace tvx::cli

// A source image is evidence: every command that reads one leaves its bytes, its size, its
// modification and change times, its inode and its links exactly as they were, whatever the
// command writes and wherever, for every kind of image, sound or damaged.
#include "run_tool.h"

#include <algorithm>
#include <numeric>

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;
using synth::FaultKind;
using namespace testing;

using SourceUntouched = ToolTest;

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
// verify and convert give the same verdict on the same image, and no command changes it.
TEST_F(SourceUntouched, EveryCommandGivesTheVerdictAndLeavesTheImageAsItWas) {
    const synth::ImgOptions img{.bits = 5, .records = 30, .erased = 3};
    synth::Ix2Options cutChain;
    cutChain.chain = true;
    cutChain.cutTo = 5000;
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
    // IMAGE and OUT stand for the paths; converting BESIDE the image writes into its folder.
    const std::vector<std::vector<std::string>> commands = {
        {"verify", "IMAGE"}, {"verify", "--json", "IMAGE"}, {"convert", "IMAGE", "--out", "OUT", "--minutes", "1", "--yes"},
        {"convert", "IMAGE", "--out", "BESIDE", "--yes"}, {"details", "IMAGE"}, {"peaks", "IMAGE"}, {"play", "IMAGE"}};
    // The disk driver takes the sound as fast as it comes, so whole images play in moments.
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", Path("out/sound.raw").c_str(), 1);
    ::setenv("SDL_DISKAUDIODELAY", "0", 1);
    for (const Case& c : cases) {
        const std::string image = Write(c.name, c.write);
        std::ofstream(image, std::ios::binary | std::ios::app) << std::string(c.appended, '\x5A');
        const std::string before = Evidence(image);
        for (std::vector<std::string> args : commands) {
            SCOPED_TRACE(args[0] + " " + args.back() + " " + c.name);
            std::replace(args.begin(), args.end(), std::string("IMAGE"), image);
            std::replace(args.begin(), args.end(), std::string("OUT"), Out());
            std::replace(args.begin(), args.end(), std::string("BESIDE"), m_dir.string());
            const ToolRun r = RunTool(args);
            if (args[0] == "play")
                EXPECT_TRUE(Has(r.out, "Blocks judged:")) << r.status << " " << r.err;
            else
                EXPECT_EQ(r.status, args[0] == "verify" || args[0] == "convert" ? c.status : 0) << r.err;
            EXPECT_TRUE(Evidence(image) == before) << "the image changed";
        }
    }
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    // Nothing appeared beside the images but the segments converted there.
    for (const auto& entry : fs::directory_iterator(m_dir)) {
        const std::string file = entry.path().filename().string();
        const bool image = std::ranges::any_of(cases, [&file](const Case& c) { return file == c.name; });
        EXPECT_TRUE(entry.is_directory() || image || file.ends_with(".00.wav") || file.ends_with(".00.txt")) << file;
    }
    EXPECT_TRUE(Has(RunTool({"verify", Path("F00003.IM2")}).out,   // the length as the window shows it
                    "File Length:          complete\nBlocks:               40 stated, 40 in the file, 300 bytes past them\n"));
}

// Only a new file is written: a FIFO would wait for a reader, a folder would lose the audio, a
// link would lead it elsewhere, a hard link into the image itself; --yes helps none of them. A
// later segment's name counts as much as the first's, though these images fill only one.
TEST_F(SourceUntouched, ASegmentNameThatIsNoNewFileIsRefused) {
    using Maker = std::function<void(const std::string& image, const std::string& at)>;
    struct Case {
        const char* name;
        Writer write;
        const char* segment;
        Maker make;
        const char* reason;
    };
    const Case cases[] = {
        {"F00012.IM2", Im2(), "F00012.00.wav", [](auto&, auto& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); },
         "Not a regular file"},
        {"P00012.IX2", Ix2(false), "P00012.01.txt", [](auto&, auto& at) { fs::create_directories(at); },
         "Is a directory"},
        {"C00012.IX2", Ix2(true), "C00012.01.wav", [](auto& image, auto& at) { fs::create_symlink(image, at); },
         "Is a symbolic link"},
        {"V00007.IMG", Img({}), "V00007.00.wav", [](auto& image, auto& at) { fs::create_hard_link(image, at); },
         "Is the recording image itself"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.segment);
        const std::string image = Write(c.name, c.write), out = Path(std::string("out-") + c.name);
        fs::create_directories(out);
        c.make(image, out + "/" + c.segment);
        const std::string before = Evidence(image);
        const ToolRun r = RunTool({"convert", image, "--out", out, "--yes"});
        EXPECT_EQ(r.status, 4);
        EXPECT_TRUE(Has(r.err, out + "/" + c.segment + ": " + c.reason)) << r.err;
        EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
        EXPECT_TRUE(Evidence(image) == before) << "the image changed";
    }
}

}  // namespace
}  // namespace tvx::cli

// A source image is evidence: every command that reads one leaves its bytes, its size, its
// modification and change times, its inode and its links exactly as they were, whatever the
// command writes and wherever, for every kind of image, sound or damaged.

#include "run_tool.h"

#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;
using synth::Fault;
using synth::FaultKind;
using namespace testing;

// Bytes, size, inode, links, mode, and modification and change times to the nanosecond.
struct Snapshot {
    std::string bytes;
    std::vector<long long> st;
};

Snapshot Take(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return {Slurp(path),
            {st.st_size, static_cast<long long>(st.st_ino), static_cast<long long>(st.st_nlink), st.st_mode,
             st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec}};
}

void ExpectUntouched(const Snapshot& before, const std::string& path) {
    const Snapshot after = Take(path);
    EXPECT_EQ(after.st, before.st);
    EXPECT_TRUE(after.bytes == before.bytes) << "the bytes changed";
}

// Every command that reads an image; IMAGE, OUT and BESIDE stand for the paths.
const std::vector<std::vector<std::string>> kCommandsThatReadAnImage = {
    {"verify", "IMAGE"},
    {"verify", "--json", "--hash", "IMAGE"},
    {"details", "IMAGE"},
    {"peaks", "IMAGE", "--width", "300"},
    {"convert", "IMAGE", "--out", "OUT", "--minutes", "1", "--yes"},
    {"convert", "IMAGE", "--out", "BESIDE", "--yes"},
};

class SourceUntouched : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        fs::create_directories(m_dir / "images");
    }

    std::string Image(const std::string& name) const { return (m_dir / "images" / name).string(); }

    // Sound and damaged images of every kind: faults send the commands down their error paths.
    std::vector<std::string> WriteImages() const {
        synth::Im2Options im2;
        im2.storedBits = 4;
        im2.blocks = 300;
        EXPECT_TRUE(synth::WriteIm2File(Image("F00012.IM2"), im2));
        const std::vector<Fault> faults = {{FaultKind::PayloadByte, 3}, {FaultKind::BlockOrder, 10},
                                           {FaultKind::TruncateLast, 99}};
        EXPECT_TRUE(synth::WriteIm2File(Image("F00013.IM2"), im2, faults));
        const Fault badHeader[] = {{FaultKind::BadHeader}};
        EXPECT_TRUE(synth::WriteIm2File(Image("F00014.IM2"), im2, badHeader));
        synth::Ix2Options ix2;
        ix2.audio.blocks = 200;
        ix2.splitFirst = 40;
        ix2.recordingLast = 999;
        EXPECT_TRUE(synth::WriteIx2File(Image("P00012.IX2"), ix2, faults));
        ix2.chain = true;
        EXPECT_TRUE(synth::WriteIx2File(Image("C00012.IX2"), ix2));
        ix2.cutTo = 5000;
        EXPECT_TRUE(synth::WriteIx2File(Image("C00013.IX2"), ix2));
        EXPECT_TRUE(synth::WriteImgFile(Image("V00007.IMG"), {.bits = 5, .records = 200, .erased = 3},
                                        std::vector<synth::ImgFault>{{synth::ImgFaultKind::VoiceChecksum, 9}}));
        return {"F00012.IM2", "F00013.IM2", "F00014.IM2", "P00012.IX2",
                "C00012.IX2", "C00013.IX2", "V00007.IMG"};
    }

    std::vector<std::string> Arguments(const std::vector<std::string>& command, const std::string& image) const {
        std::vector<std::string> args;
        for (const std::string& a : command)
            args.push_back(a == "IMAGE"    ? image
                           : a == "OUT"    ? (m_dir / "out").string()
                           : a == "BESIDE" ? (m_dir / "images").string()
                                           : a);
        return args;
    }

};

TEST_F(SourceUntouched, EveryCommandLeavesEveryImageAsItWas) {
    const std::vector<std::string> names = WriteImages();
    for (const std::string& name : names) {
        for (const std::vector<std::string>& command : kCommandsThatReadAnImage) {
            SCOPED_TRACE(command[0] + " " + command[1] + " " + command.back() + " " + name);
            const std::string image = Image(name);
            const Snapshot before = Take(image);
            const ToolRun r = RunTool(Arguments(command, image));
            EXPECT_FALSE(r.timedOut);
            EXPECT_TRUE(r.status == 0 || r.status == 1) << r.status << " " << r.err;
            ExpectUntouched(before, image);
        }
    }
    // Nothing appeared beside the images but the segments converted there and their manifests.
    for (const auto& entry : fs::directory_iterator(m_dir / "images")) {
        const std::string file = entry.path().filename().string();
        const bool image = std::find(names.begin(), names.end(), file) != names.end();
        EXPECT_TRUE(image || file.ends_with(".00.wav") || file.ends_with(".00.txt") ||
                    file.ends_with(".sha256")) << file;
    }
}

TEST_F(SourceUntouched, PlayingLeavesEveryImageAsItWas) {
    // The disk driver takes the sound as fast as it comes, so whole images play in moments.
    const std::string sound = (m_dir / "out" / "sound.raw").string();
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", sound.c_str(), 1);
    ::setenv("SDL_DISKAUDIODELAY", "0", 1);
    for (const std::string& name : WriteImages()) {
        SCOPED_TRACE(name);
        const std::string image = Image(name);
        const Snapshot before = Take(image);
        const ToolRun r = RunTool({"play", image});
        EXPECT_FALSE(r.timedOut);
        EXPECT_NE(r.out.find("Blocks judged:"), std::string::npos) << r.status << " " << r.err;
        ExpectUntouched(before, image);
    }
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
}

TEST_F(SourceUntouched, ASegmentNameThatLeadsBackToTheImageIsRefused) {
    WriteImages();
    for (const std::string name : {"F00012.IM2", "P00012.IX2", "C00012.IX2", "V00007.IMG"}) {
        SCOPED_TRACE(name);
        const std::string image = Image(name);
        const std::string stem = (m_dir / "out" / name.substr(0, 6)).string();
        fs::remove_all(m_dir / "out");
        fs::create_directories(m_dir / "out");
        // A hard link as the first WAV and a symbolic link as its text: --yes must not help.
        fs::create_hard_link(image, stem + ".00.wav");
        fs::create_symlink(image, stem + ".00.txt");
        const Snapshot before = Take(image);
        const ToolRun r = RunTool({"convert", image, "--out", (m_dir / "out").string(), "--yes"});
        EXPECT_EQ(r.status, 4) << r.err;   // an output refused
        EXPECT_NE(r.err.find(stem + ".00.wav: Is the recording image itself"), std::string::npos) << r.err;
        ExpectUntouched(before, image);
    }
}

}  // namespace
}  // namespace tvx::cli

// tessivox-cli play, run as a user runs it; SDL's dummy driver stands in for the sound card.
#include "run_tool.h"

#include "synth/img_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;
using testing::RunTool;
using testing::RunToolInterrupted;
using testing::ToolRun;

std::string Field(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    if (at == std::string::npos)
        return "(no " + label + ")";
    const std::size_t from = text.find_first_not_of(' ', at + label.size());
    return text.substr(from, text.find('\n', from) - from);
}

class CliPlay : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("tvx-cli-play-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // 16-bit mono at 8000 Hz: 32 ms per block.
    std::string Image(std::uint32_t blocks, std::vector<synth::Fault> faults = {}) {
        synth::Im2Options o;
        o.blocks = blocks;
        const std::string path = (m_dir / "F00012.IM2").string();
        EXPECT_TRUE(synth::WriteIm2File(path, o, faults));
        return path;
    }

    fs::path m_dir;
};

TEST_F(CliPlay, PlaysToTheEndAndCountsWhatItJudged) {
    const std::string path =
        Image(40, {{synth::FaultKind::PayloadByte, 5}, {synth::FaultKind::BlockOrder, 30}});
    const ToolRun r = RunTool({"play", path});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), path);
    EXPECT_EQ(Field(r.out, "Played to:"), "00:00:01.280 of 00:00:01.280");
    EXPECT_EQ(Field(r.out, "Blocks judged:"), "40");
    EXPECT_EQ(Field(r.out, "Verified:"), "37");
    EXPECT_EQ(Field(r.out, "Irregular:"), "3");
    EXPECT_EQ(Field(r.out, "Sequence / Timing:"), "2");
    EXPECT_EQ(Field(r.out, "CheckSum:"), "1");
}

TEST_F(CliPlay, StartsWhereFromSays) {
    const std::string path = Image(40);
    const ToolRun r = RunTool({"play", path, "--from", "600"});   // block 19 of 40
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(r.out, "Blocks judged:"), "21");
    EXPECT_EQ(Field(r.out, "Verified:"), "21");

    // Inside the last half of the last block: that block, not the whole recording again.
    const ToolRun last = RunTool({"play", path, "--from", "1270"});
    EXPECT_EQ(last.status, 0) << last.err;
    EXPECT_EQ(Field(last.out, "Blocks judged:"), "1");

    const ToolRun past = RunTool({"play", path, "--from=1280"});
    EXPECT_EQ(past.status, 2);
    EXPECT_NE(past.err.find("past the end"), std::string::npos) << past.err;
    EXPECT_TRUE(past.out.empty());
    for (const char* bad : {"-3", "1.5", "", "x"})
        EXPECT_EQ(RunTool({"play", path, "--from", bad}).status, 2) << bad;
}

TEST_F(CliPlay, AnImgImagePlaysItsRecords) {
    synth::ImgOptions o;
    o.records = 12;
    o.erased = 2;
    const std::string path = (m_dir / "VOICE.IMG").string();
    ASSERT_TRUE(synth::WriteImgFile(path, o));
    const ToolRun r = RunTool({"play", path});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Field(r.out, "Blocks judged:"), "12");
    EXPECT_EQ(Field(r.out, "Played to:"), "00:00:00.768 of 00:00:00.768");
}

TEST_F(CliPlay, CtrlCStopsAndStillCounts) {
    const ToolRun r = RunToolInterrupted({"play", Image(1875)});   // a minute
    EXPECT_EQ(r.status, 130) << r.err;
    const int judged = std::stoi(Field(r.out, "Blocks judged:"));
    EXPECT_LT(judged, 1875);
    EXPECT_EQ(Field(r.out, "Verified:"), std::to_string(judged));
}

// Without a sound output nothing would be heard, yet every block would count as played.
TEST_F(CliPlay, NoSoundOutputIsOneMessageAndAFailure) {
    const std::string path = Image(40);
    const char* kept = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = kept ? kept : "";
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const ToolRun r = RunTool({"play", path}, {.deadlineSeconds = 30});
    kept ? ::setenv("SDL_AUDIODRIVER", saved.c_str(), 1) : ::unsetenv("SDL_AUDIODRIVER");
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("no sound output"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
}

TEST_F(CliPlay, AnImageThatCannotBeReadIsNamed) {
    const std::string missing = (m_dir / "none.IM2").string();
    const ToolRun r = RunTool({"play", missing});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "tessivox-cli: Failed to open: " + missing + "\n");
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(RunTool({"play", (m_dir / "notes.txt").string()}).status, 3);
    EXPECT_EQ(RunTool({"play", missing, missing}).status, 2);
}

}  // namespace
}  // namespace tvx::cli

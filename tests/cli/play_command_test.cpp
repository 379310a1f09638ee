// tessivox-cli play, run as a user runs it; SDL's dummy driver stands in for the sound card.
#include "run_tool.h"

#include "synth/img_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace tvx::cli {
namespace {

using namespace testing;

class CliPlay : public ToolTest {
protected:
    // 16-bit mono at 8000 Hz: 32 ms per block.
    std::string Image(std::uint32_t blocks, std::vector<synth::Fault> faults = {}) {
        EXPECT_TRUE(synth::WriteIm2File(Path("F00012.IM2"), {.blocks = blocks}, faults));
        return Path("F00012.IM2");
    }
};

TEST_F(CliPlay, PlaysFromWhereItIsToldToTheEndAndCountsWhatItJudged) {
    const std::string path = Image(40, {{synth::FaultKind::PayloadByte, 5}, {synth::FaultKind::BlockOrder, 30}});
    const ToolRun r = RunTool({"play", path});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), path);
    EXPECT_EQ(Field(r.out, "Played to:"), "00:00:01.280 of 00:00:01.280");
    EXPECT_EQ(Field(r.out, "Blocks judged:"), "40");
    EXPECT_EQ(Field(r.out, "Verified:"), "37");
    EXPECT_EQ(Field(r.out, "Irregular:"), "3");
    EXPECT_EQ(Field(r.out, "Sequence / Timing:"), "2");
    EXPECT_EQ(Field(r.out, "CheckSum:"), "1");

    Image(40);
    // Block 19 of 40; inside the last half of the last block: that block, not the whole
    // recording again.
    for (const auto& [from, judged] : {std::pair{"600", "21"}, std::pair{"1270", "1"}}) {
        const ToolRun part = RunTool({"play", path, "--from", from});
        EXPECT_EQ(part.status, 0) << part.err;
        EXPECT_EQ(Field(part.out, "Blocks judged:"), judged) << from;
        EXPECT_EQ(Field(part.out, "Verified:"), judged) << from;
    }
    const ToolRun past = RunTool({"play", path, "--from=1280"});
    EXPECT_EQ(past.status, 2);
    EXPECT_TRUE(Has(past.err, "past the end")) << past.err;
    EXPECT_TRUE(past.out.empty());
    for (const char* bad : {"-3", "1.5", "", "x"})
        EXPECT_EQ(RunTool({"play", path, "--from", bad}).status, 2) << bad;
}

TEST_F(CliPlay, AnImgImagePlaysItsRecords) {
    ASSERT_TRUE(synth::WriteImgFile(Path("VOICE.IMG"), {.records = 12, .erased = 2}));
    const ToolRun r = RunTool({"play", Path("VOICE.IMG")});
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
TEST_F(CliPlay, NoSoundOutputOrNoImageIsOneMessageAndAFailure) {
    const std::string path = Image(40);
    const char* kept = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = kept ? kept : "";
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const ToolRun r = RunTool({"play", path}, {.deadlineSeconds = 30});
    kept ? ::setenv("SDL_AUDIODRIVER", saved.c_str(), 1) : ::unsetenv("SDL_AUDIODRIVER");
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(Has(r.err, "no sound output")) << r.err;
    EXPECT_TRUE(Has(r.err, path)) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;

    const std::string missing = Path("none.IM2");
    const ToolRun none = RunTool({"play", missing});
    EXPECT_EQ(none.status, 3);
    EXPECT_EQ(none.err, "tessivox-cli: Failed to open: " + missing + "\n");
    EXPECT_TRUE(none.out.empty());
    EXPECT_EQ(RunTool({"play", Path("notes.txt")}).status, 3);
    EXPECT_EQ(RunTool({"play", missing, missing}).status, 2);
}

}  // namespace
}  // namespace tvx::cli

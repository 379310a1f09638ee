// The tvx-synth command line, and the command itself on a real file.

#include "synth/image_reading.h"
#include "synth/synth_args.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace tvx::synth {
namespace {

ParsedArgs Parse(std::vector<std::string> argv) { return ParseSynthArgs(argv); }

TEST(SynthArgs, OptionsReachTheImage) {
    const ParsedArgs p = Parse({"out.IM2", "--bits", "4", "--channels", "2", "--rate-code", "2",
                                "--compression", "5", "--blocks", "70", "--seed", "5",
                                "--stated", "80", "--fault", "order:3", "--fault", "header",
                                "--fault", "truncate:9"});
    ASSERT_TRUE(p.args) << p.error;
    const SynthArgs& a = *p.args;
    EXPECT_EQ(a.path, "out.IM2");
    EXPECT_EQ(a.options.storedBits, 4);
    EXPECT_EQ(a.options.channels, 2);
    EXPECT_EQ(a.options.rateCode, 2);
    EXPECT_EQ(a.options.modelCode, 37);
    EXPECT_EQ(a.options.blocks, 70u);
    EXPECT_EQ(a.options.seed, 5u);
    EXPECT_EQ(a.options.statedBlocks, 80);
    ASSERT_EQ(a.faults.size(), 3u);
    EXPECT_EQ(a.faults[0].kind, FaultKind::BlockOrder);
    EXPECT_EQ(a.faults[0].block, 3u);
    EXPECT_EQ(a.faults[1].kind, FaultKind::BadHeader);
    EXPECT_EQ(a.faults[2].kind, FaultKind::TruncateLast);
    EXPECT_EQ(a.faults[2].block, 9u);
}

TEST(SynthArgs, LengthInHoursOrMebibytes) {
    // One hour at 8 kHz of 1,021-sample records: 28,800,000 / 1,021 = 28,207.6, rounded up.
    auto p = Parse({"x", "--bits", "4", "--model", "4", "--hours", "1"});
    ASSERT_TRUE(p.args) << p.error;
    EXPECT_EQ(p.args->options.blocks, 28208u);
    // One MiB holds 1,985 whole records, the header among them.
    p = Parse({"x", "--mib", "1"});
    ASSERT_TRUE(p.args) << p.error;
    EXPECT_EQ(p.args->options.blocks, 1984u);
    p = Parse({"x", "--mib", "0.0001"});
    ASSERT_TRUE(p.args) << p.error;
    EXPECT_EQ(p.args->options.blocks, 0u);
}

TEST(SynthArgs, AnIx2NameTakesTheSplitOptions) {
    const ParsedArgs p = Parse({"out.ix2", "--chain", "--split-first", "7", "--split-last", "90",
                                "--recording-last", "400", "--no-entry", "--broken-index", "1",
                                "--cut", "5000", "--mib", "1", "--bits", "8"});
    ASSERT_TRUE(p.args) << p.error;
    const SynthArgs& a = *p.args;
    EXPECT_TRUE(a.ix2);
    const Ix2Options& o = a.ix2Options;
    EXPECT_TRUE(o.chain);
    EXPECT_EQ(o.splitFirst, 7u);
    EXPECT_EQ(o.splitLast, 90);
    EXPECT_EQ(o.recordingLast, 400);
    EXPECT_FALSE(o.matchingEntry);
    EXPECT_EQ(o.brokenIndexBlock, 1);
    EXPECT_EQ(o.cutTo, 5000u);
    EXPECT_EQ(o.audio.storedBits, 8);
    // 1 MiB holds 1,985 records: three index blocks, then 1,982 outer blocks of 512 stream bytes.
    EXPECT_EQ(o.audio.blocks, 1982u * 512 / 528);
    EXPECT_FALSE(Parse({"out.IX2", "--broken-index", "3"}).args);
    EXPECT_FALSE(Parse({"out.IM2"}).args->ix2);
}

TEST(SynthArgs, AnImgNameTakesItsOwnOptions) {
    const ParsedArgs p = Parse({"out.img", "--bits", "5", "--blocks", "90", "--erased", "4",
                                "--img-fault", "voice:3", "--img-fault", "cut"});
    ASSERT_TRUE(p.args) << p.error;
    EXPECT_TRUE(p.args->img);
    EXPECT_EQ(p.args->imgOptions.bits, 5);
    EXPECT_EQ(p.args->imgOptions.records, 90u);
    EXPECT_EQ(p.args->imgOptions.erased, 4u);
    ASSERT_EQ(p.args->imgFaults.size(), 2u);
    EXPECT_EQ(p.args->imgFaults[0].record, 3u);
    EXPECT_EQ(p.args->imgFaults[1].record, 100u);   // bytes kept of the cut record
    EXPECT_FALSE(Parse({"out.IMG", "--bits", "4"}).args);
    EXPECT_FALSE(Parse({"out.IM2", "--bits", "5"}).args);
    EXPECT_FALSE(Parse({"out.IMG", "--img-fault", "bogus"}).args);
}

TEST(SynthArgs, BadCommandLinesAreRefused) {
    const std::vector<std::vector<std::string>> kBad = {
        {},
        {"--bits", "16"},
        {"a", "b"},
        {"x", "--bits", "5"},
        {"x", "--bits"},
        {"x", "--channels", "0"},
        {"x", "--channels", "3"},
        {"x", "--rate-code", "4"},
        {"x", "--model", "256"},
        {"x", "--compression", "3"},
        {"x", "--model", "4", "--compression", "4"},
        {"x", "--blocks", "1.5"},
        {"x", "--blocks", "-1"},
        {"x", "--blocks", "4294967296"},
        {"x", "--blocks", "3", "--hours", "1"},
        {"x", "--hours", "nan"},
        {"x", "--hours", "1e12"},
        {"x", "--seed", "x"},
        {"x", "--fault", "smudge:3"},
        {"x", "--fault", "payload:"},
        {"x", "--fault", "payload:-2"},
        {"x", "--colour", "red"},
    };
    for (const auto& argv : kBad) {
        std::string line;
        for (const auto& a : argv)
            line += a + " ";
        SCOPED_TRACE(line);
        const ParsedArgs p = ParseSynthArgs(argv);
        EXPECT_FALSE(p.args);
        EXPECT_FALSE(p.error.empty());
    }
}

int RunCommand(const std::string& command) {
    const int status = std::system((command + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SynthCommand, WritesAnImageOrExitsTwo) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("tvx_synth_cmd_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string exe = TVX_SYNTH_EXE;
    const fs::path out = dir / "out.IM2";

    EXPECT_EQ(RunCommand(exe + " " + out.string() + " --bits 7"), 2);
    EXPECT_EQ(RunCommand(exe), 2);
    EXPECT_TRUE(fs::is_empty(dir));

    ASSERT_EQ(RunCommand(exe + " " + out.string() + " --bits 8 --compression 6 --blocks 12 --fault unit:4"), 0);
    std::ifstream in(out, std::ios::binary);
    const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    const ImageVerdict v = JudgeImage(image);
    EXPECT_EQ(v.blocks.size(), 12u);
    EXPECT_EQ(v.blocks[4], 0x80000001u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    EXPECT_EQ(RunCommand(exe + " " + (dir / "none" / "x.IM2").string()), 3);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tvx::synth

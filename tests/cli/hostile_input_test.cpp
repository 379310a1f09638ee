// The tool against what a machine or a hostile folder can put in its way: a disk that fills
// while it converts, paths that are no regular file, and a sparse image past 4 GiB.
#include "run_tool.h"

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;
using namespace testing;

using HostileInput = ToolTest;

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
        EXPECT_EQ(fs::file_size(segment + "wav"), 200'000u);
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
        {"verify"}, {"verify", "--json"}, {"details"}, {"peaks"}, {"play"}, {"convert", "--yes", "--out", Out()}};
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
            // play names the image it could not open, without the reason.
            EXPECT_TRUE(Has(said, reason) || (args[0] == "play" && Has(said, "Failed to open: "))) << said;
            EXPECT_TRUE(json || r.out.empty()) << r.out;
        }
    }
    EXPECT_TRUE(fs::is_empty(Out()));
    // Not whole records after the header: judged, not refused.
    std::ofstream(Path("short.IM2")) << std::string(600, 'x');
    EXPECT_EQ(RunTool({"verify", Path("short.IM2")}).status, 1);
}

TEST_F(HostileInput, ASparseImagePastFourGiBIsMeasuredAndReadWhereItEnds) {
    // 8,200,000 blocks of 528 bytes, real records only at block 0 and at 8,191,800, past 4 GiB:
    // the last of 1,000 columns draws it, where a position cut to 32 bits would land in zeros.
    constexpr std::uint32_t kBlocks = 8'200'000, kFar = 8'191'800;
    const synth::Im2Options o{.storedBits = 16, .blocks = 1, .statedBlocks = kBlocks};
    {
        std::ofstream file(Path("F00012.IM2"), std::ios::binary);
        for (const auto& [at, record] : {std::pair{0ull, synth::HeaderRecord(o)}, {528ull, synth::DataRecord(o, 0)},
                                         {(kFar + 1ull) * 528, synth::DataRecord(o, kFar)}})
            file.seekp(static_cast<std::streamoff>(at)).write(reinterpret_cast<const char*>(record.data()), 528);
    }
    fs::resize_file(Path("F00012.IM2"), (kBlocks + 1ull) * 528);
    // 8,200,000 blocks of 32 ms: 262,400 s.
    EXPECT_TRUE(Has(RunTool({"details", Path("F00012.IM2")}).out, "Duration:\t72:53:20\nComplete:\tYES\n"));
    const std::string peaks = RunTool({"peaks", Path("F00012.IM2")}).out;
    EXPECT_TRUE(peaks.starts_with("blocks: 8200000\ncolumns: 1000 of 1000\nchannels: 1\n0\t")) << peaks.substr(0, 80);
    EXPECT_FALSE(Has(peaks, "\n0\t0\n") || Has(peaks, "\n999\t0\n"));
    EXPECT_TRUE(Has(peaks, "\n500\t0\n") && Has(peaks, "\n998\t0\n999\t"));
}

}  // namespace
}  // namespace tvx::cli

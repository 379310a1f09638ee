// The tool against what a machine or a hostile folder can put in its way: a disk that fills
// while it converts, paths that are no regular file, and sparse images past 4 GiB.

#include "run_tool.h"

#include "core/bytes.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;
using testing::RunTool;
using testing::ToolLimits;
using testing::ToolRun;

std::vector<std::uint8_t> Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string SlurpText(const fs::path& path) {
    const std::vector<std::uint8_t> bytes = Slurp(path);
    return {bytes.begin(), bytes.end()};
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return LoadLe32(bytes, at);
}

class HostileInput : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("tvx-hostile-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_dir;
};

// One image of each kind the tool reads, each with about 512 KB of audio.
struct Kind {
    const char* name;
    std::string file;
};

std::vector<Kind> WriteEveryKind(const fs::path& dir) {
    synth::Im2Options im2;
    im2.storedBits = 16;
    im2.blocks = 1000;
    EXPECT_TRUE(synth::WriteIm2File((dir / "F00012.IM2").string(), im2));
    synth::Ix2Options ix2;
    ix2.audio.storedBits = 16;
    ix2.audio.blocks = 1000;
    EXPECT_TRUE(synth::WriteIx2File((dir / "P00012.IX2").string(), ix2));
    ix2.chain = true;
    EXPECT_TRUE(synth::WriteIx2File((dir / "C00012.IX2").string(), ix2));
    EXPECT_TRUE(synth::WriteImgFile((dir / "V00007.IMG").string(), {.bits = 8, .records = 1001}));
    return {{"IM2", "F00012"}, {"IX2", "P00012"}, {"IX2 chain", "C00012"}, {"IMG", "V00007"}};
}

std::string ImageOf(const fs::path& dir, const Kind& kind) {
    const char* ext = kind.name[1] == 'X' ? ".IX2" : kind.name[2] == 'G' ? ".IMG" : ".IM2";
    return (dir / (kind.file + ext)).string();
}

TEST_F(HostileInput, AFullDiskEndsTheConversionAsCancelDoes) {
    // RLIMIT_FSIZE caps every file the tool writes, so the WAV fills long before the text.
    constexpr std::uint64_t kLimit = 200'000;
    for (const Kind& kind : WriteEveryKind(m_dir)) {
        SCOPED_TRACE(kind.name);
        const std::string image = ImageOf(m_dir, kind);
        const fs::path whole = m_dir / (kind.file + "-whole");
        const fs::path full = m_dir / (kind.file + "-full");
        fs::create_directories(whole);
        fs::create_directories(full);
        ASSERT_EQ(RunTool({"convert", image, "--out", whole.string()}).status, 0);
        const ToolRun r = RunTool({"convert", image, "--out", full.string()}, {.fileSizeLimit = kLimit});
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.status, 4) << r.err;   // an output could not be written
        EXPECT_TRUE(Has(r.err, (full / (kind.file + ".00.wav")).string() + ": The disk is full")) << r.err;
        EXPECT_TRUE(Has(r.err, "Decryption Cancelled.")) << r.err;

        const std::string text = SlurpText(full / (kind.file + ".00.txt"));
        EXPECT_TRUE(text.ends_with("Creating File: " + kind.file + ".00.wav\r\r\nDecryption Cancelled.\r\n"))
            << text;
        EXPECT_FALSE(Has(text, "Completed"));
        const std::vector<std::uint8_t> wav = Slurp(full / (kind.file + ".00.wav"));
        ASSERT_EQ(wav.size(), kLimit);
        EXPECT_EQ(Le32(wav, 4), kLimit - 8);
        EXPECT_EQ(Le32(wav, 40), kLimit - 44);
        // What it holds is the beginning of the whole conversion, byte for byte.
        const std::vector<std::uint8_t> reference = Slurp(whole / (kind.file + ".00.wav"));
        ASSERT_GT(reference.size(), kLimit);
        EXPECT_TRUE(std::equal(wav.begin() + 44, wav.end(), reference.begin() + 44));
        EXPECT_EQ(std::distance(fs::directory_iterator(full), fs::directory_iterator()), 2);
    }
}

TEST_F(HostileInput, ADiskTooFullForTheHeadingLeavesAnEmptyWaveThatSaysSo) {
    // 120 bytes: the WAV's header fits, the text's heading does not.
    synth::Im2Options o;
    o.blocks = 50;
    ASSERT_TRUE(synth::WriteIm2File(Path("F00012.IM2"), o));
    fs::create_directories(m_dir / "out");
    const ToolRun r =
        RunTool({"convert", Path("F00012.IM2"), "--out", Path("out")}, {.fileSizeLimit = 120});
    // The limit caps what the tool can say on stderr too: the name of the file is in it.
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_TRUE(Has(r.err, "/out/F00012.00.txt: The disk")) << r.err;
    const std::vector<std::uint8_t> wav = Slurp(m_dir / "out" / "F00012.00.wav");
    ASSERT_EQ(wav.size(), 44u);
    EXPECT_EQ(Le32(wav, 4), 36u);
    EXPECT_EQ(Le32(wav, 40), 0u);
    const std::string text = SlurpText(m_dir / "out" / "F00012.00.txt");
    EXPECT_EQ(text.size(), 120u);
    EXPECT_FALSE(Has(text, "Decryption"));
}

TEST_F(HostileInput, PathsThatAreNoRegularFileAreRefusedAndNeverWaitedOn) {
    // Each under a name the tool would read: a folder, a FIFO (whose open or read would wait
    // for a writer forever), a device that never ends, and a link that leads to itself.
    struct Special {
        const char* what;
        const char* reason;
    };
    const Special kSpecials[] = {{"folder", "Is a directory"},
                                 {"fifo", "Not a regular file"},
                                 {"zero", "Not a regular file"},
                                 {"loop", "Too many levels of symbolic links"}};
    fs::create_directories(m_dir / "out");
    for (const char* ext : {".IM2", ".IX2", ".IMG"}) {
        const std::string folder = Path(std::string("folder") + ext);
        fs::create_directories(folder);
        ASSERT_EQ(::mkfifo(Path(std::string("fifo") + ext).c_str(), 0600), 0);
        fs::create_symlink("/dev/zero", Path(std::string("zero") + ext));
        fs::create_symlink(Path(std::string("loop") + ext), Path(std::string("loop") + ext));
    }
    const std::vector<std::vector<std::string>> kCommands = {
        {"verify"}, {"verify", "--json"}, {"details"}, {"peaks"}, {"convert", "--yes", "--out", Path("out")}};
    for (const char* ext : {".IM2", ".IX2", ".IMG"}) {
        for (const Special& special : kSpecials) {
            const std::string path = Path(std::string(special.what) + ext);
            for (std::vector<std::string> args : kCommands) {
                SCOPED_TRACE(args[0] + " " + path);
                const bool json = std::find(args.begin(), args.end(), "--json") != args.end();
                args.insert(args.begin() + 1, path);
                const ToolRun r = RunTool(args, {.deadlineSeconds = 20});
                ASSERT_FALSE(r.timedOut);
                EXPECT_EQ(r.status, 3);
                const std::string& said = json ? r.out : r.err;
                EXPECT_TRUE(Has(said, path)) << said;
                EXPECT_TRUE(Has(said, special.reason)) << said;
            }
        }
    }
    EXPECT_TRUE(fs::is_empty(m_dir / "out"));
}

TEST_F(HostileInput, SegmentNamesThatAreNoRegularFileAreRefusedAndNeverWaitedOn) {
    // A FIFO opened for writing would wait for a reader; a link would lead the audio elsewhere,
    // here into /dev/full. A later segment's name counts as much as the first's, even where
    // this image fills only one segment: it would be left beside this run's files.
    synth::Im2Options o;
    o.blocks = 20;
    ASSERT_TRUE(synth::WriteIm2File(Path("F00012.IM2"), o));
    struct Special {
        const char* what;
        const char* reason;
    };
    for (const char* name : {"F00012.00.wav", "F00012.01.txt"}) {
        for (const Special special : {Special{"fifo", "Not a regular file"},
                                      Special{"folder", "Is a directory"},
                                      Special{"full", "Is a symbolic link"}}) {
            SCOPED_TRACE(std::string(name) + " " + special.what);
            const fs::path out = m_dir / (std::string("out-") + special.what + "-" + name);
            fs::create_directories(out);
            const std::string at = (out / name).string();
            if (special.what == std::string("fifo"))
                ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0);
            else if (special.what == std::string("folder"))
                fs::create_directories(at);
            else
                fs::create_symlink("/dev/full", at);
            const ToolRun r = RunTool({"convert", Path("F00012.IM2"), "--out", out.string(), "--yes"},
                                      {.deadlineSeconds = 20});
            ASSERT_FALSE(r.timedOut);
            EXPECT_EQ(r.status, 4);
            EXPECT_TRUE(Has(r.err, at + ": " + special.reason)) << r.err;
            EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
        }
    }
}

// A sparse file of `bytes` with real records at the given offsets: gigabytes that cost no disk.
void WriteSparse(const std::string& path, std::uint64_t bytes,
                 const std::vector<std::pair<std::uint64_t, std::vector<std::uint8_t>>>& pieces) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(bytes)), 0);
    for (const auto& [at, piece] : pieces)
        ASSERT_EQ(::pwrite(fd, piece.data(), piece.size(), static_cast<off_t>(at)),
                  static_cast<ssize_t>(piece.size()));
    ::close(fd);
}

std::vector<std::uint8_t> Bytes(const Record& record) { return {record.begin(), record.end()}; }

// The peak-to-peak values printed by `peaks`, one per column.
std::vector<unsigned> PeakColumns(const std::string& out) {
    std::vector<unsigned> peaks;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        unsigned column = 0, peak = 0;
        if (std::sscanf(line.c_str(), "%u\t%u", &column, &peak) == 2 && line.find(':') == std::string::npos)
            peaks.push_back(peak);
    }
    return peaks;
}

TEST_F(HostileInput, SparseImagesPastFourGiBAreMeasuredAndReadWhereTheyEnd) {
    // 8,200,000 blocks of 528 bytes: blocks from 8,134,408 on lie past 4 GiB. With 1,000
    // columns the last one draws block 8,191,800, the only real record there besides block 0;
    // a position cut to 32 bits would land in zeros and draw nothing.
    constexpr std::uint32_t kBlocks = 8'200'000;
    constexpr std::uint32_t kFar = 8'191'800;
    synth::Im2Options o;
    o.storedBits = 16;
    o.blocks = 1;
    o.statedBlocks = kBlocks;
    const std::string im2 = Path("F00012.IM2");
    WriteSparse(im2, std::uint64_t{kBlocks + 1} * 528,
                {{0, Bytes(synth::HeaderRecord(o))},
                 {528, Bytes(synth::DataRecord(o, 0))},
                 {std::uint64_t{kFar + 1} * 528, Bytes(synth::DataRecord(o, kFar))}});

    synth::Ix2Options x;
    x.audio = o;
    x.splitLast = kBlocks - 1;
    const std::vector<std::uint8_t> region = synth::MakeIx2(x);
    const std::string ix2 = Path("P00012.IX2");
    WriteSparse(ix2, 1712 + std::uint64_t{kBlocks} * 528,
                {{0, region}, {1712 + std::uint64_t{kFar} * 528, Bytes(synth::DataRecord(o, kFar))}});

    // IMG: records counted from the end back over the erased tail; zeros are no erased flash.
    // Only drawing matters here, so the far records repeat record 2: synthesizing record n
    // runs the voice checksum through all before it.
    const synth::ImgOptions g{.bits = 5, .records = 2};
    const std::vector<std::uint8_t> audio = Bytes(synth::ImgRecord(g, 2));
    const std::string img = Path("V00007.IMG");
    WriteSparse(img, std::uint64_t{kBlocks + 1} * 528,
                {{0, Bytes(synth::ImgRecord(g, 1))},
                 {528, audio},
                 {std::uint64_t{kFar + 1} * 528, audio},
                 {std::uint64_t{kBlocks} * 528, audio}});

    const ToolRun im2Details = RunTool({"details", im2});
    EXPECT_EQ(im2Details.status, 0) << im2Details.err;
    // 8,200,000 blocks of 32 ms: 262,400 s.
    EXPECT_TRUE(Has(im2Details.out, "Duration:\t72:53:20\nComplete:\tYES\n")) << im2Details.out;
    const ToolRun ix2Details = RunTool({"details", ix2});
    EXPECT_EQ(ix2Details.status, 0) << ix2Details.err;
    EXPECT_TRUE(Has(ix2Details.out, "---This Split File---\nStart:\tFri, 14 Mar 2008, 09:26:53\n"
                                    "Duration:\t72:53:20\nComplete:\tYES\n"))
        << ix2Details.out;
    const ToolRun imgDetails = RunTool({"details", img});
    EXPECT_EQ(imgDetails.status, 0) << imgDetails.err;
    // 8,200,001 records of 816 samples at 8 kHz: 836,400,102 ms.
    EXPECT_TRUE(Has(imgDetails.out, "Duration:\t232:20:00\n")) << imgDetails.out;

    for (const std::string& path : {im2, ix2, img}) {
        SCOPED_TRACE(path);
        const ToolRun peaks = RunTool({"peaks", path});
        EXPECT_EQ(peaks.status, 0) << peaks.err;
        const std::string blocks = path == img ? "blocks: 8200001\n" : "blocks: 8200000\n";
        EXPECT_TRUE(Has(peaks.out, blocks + "columns: 1000 of 1000\n")) << peaks.out.substr(0, 80);
        const std::vector<unsigned> columns = PeakColumns(peaks.out);
        ASSERT_EQ(columns.size(), 1000u);
        EXPECT_GT(columns[0], 0u);
        EXPECT_EQ(columns[500], 0u);
        EXPECT_EQ(columns[998], 0u);
        EXPECT_GT(columns[999], 0u);
    }
}

}  // namespace
}  // namespace tvx::cli

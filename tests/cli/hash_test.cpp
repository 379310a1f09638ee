// verify --hash: the image's size, modification time and the SHA-256 of every byte it holds,
// as coreutils takes them, and no digest for a file that moved while it was read.
#include "core/file_hash.h"
#include "run_tool.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>

namespace tvx::cli {
namespace {

namespace fs = std::filesystem;
using synth::FaultKind;
using namespace testing;

// The rest of the line after `label`, its padding dropped.
std::string Field(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    if (at == std::string::npos)
        return "(no " + label + ")";
    const std::size_t from = text.find_first_not_of(' ', at + label.size());
    return text.substr(from, text.find('\n', from) - from);
}

std::string Sha256sum(const std::string& path) {
    std::string digest(64, '\0');
    FILE* pipe = ::popen(("sha256sum < '" + path + "'").c_str(), "r");
    if (pipe == nullptr || std::fread(digest.data(), 1, digest.size(), pipe) != digest.size())
        digest = "(sha256sum failed)";
    if (pipe != nullptr)
        ::pclose(pipe);
    return digest;
}

TEST_F(ToolTest, HashCoversEveryByteWithSizeAndTime) {
    struct Case {
        const char* what;
        synth::Im2Options options;
        std::vector<synth::Fault> faults;
    };
    const Case cases[] = {
        {"cut last record", {.storedBits = 16, .blocks = 20}, {{FaultKind::TruncateLast, 0}}},
        {"blocks past the stated ones, bytes past those", {.storedBits = 16, .blocks = 20, .statedBlocks = 12}, {}},
    };
    const timespec when[2] = {{0, UTIME_OMIT}, {1612325106, 0}};   // 2021-02-03 04:05:06 UTC
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string image = Path("F00012.IM2");
        ASSERT_TRUE(synth::WriteIm2File(image, c.options, c.faults));
        std::ofstream(image, std::ios::app) << "data the blocks do not account for";
        ASSERT_EQ(::utimensat(AT_FDCWD, image.c_str(), when, 0), 0);
        const std::string digest = Sha256sum(image);
        const std::string size = std::to_string(fs::file_size(image));

        const ToolRun json = RunTool({"verify", "--hash", "--json", image});
        EXPECT_EQ(json.status, 1) << json.err;
        const std::string flat = Flat(json.out);
        EXPECT_TRUE(Has(flat, "\"size\": " + size + ",")) << flat;
        EXPECT_TRUE(Has(flat, "\"mtime\": \"2021-02-03T04:05:06Z\"")) << flat;
        EXPECT_TRUE(Has(flat, "\"sha256\": \"" + digest + "\"")) << flat;

        const ToolRun text = RunTool({"verify", "--hash", image});
        EXPECT_EQ(Field(text.out, "SHA-256:"), digest);
        EXPECT_EQ(Field(text.out, "Size:"), size + " bytes");
        EXPECT_EQ(Field(text.out, "Modified:"), "2021-02-03T04:05:06Z");
    }
    EXPECT_FALSE(Has(RunTool({"verify", Path("F00012.IM2")}).out, "SHA-256")) << "only asked for";
}

TEST_F(ToolTest, FileThatGrowsWhileHashedHasNoDigest) {
    const std::string path = Path("growing");
    std::ofstream(path) << std::string(1000, 'x');
    const Result<FileHash> hash = HashFile(path, [&] {
        std::ofstream(path, std::ios::app) << 'y';
        return true;
    });
    ASSERT_FALSE(hash);
    EXPECT_EQ(hash.GetError().path, path);
    EXPECT_TRUE(Has(DescribeError(hash.GetError()), "Changed while it was read"));
}

}  // namespace
}  // namespace tvx::cli

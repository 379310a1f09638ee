// NAME.sha256 beside a conversion's segments: what it lists, that coreutils checks it, and that
// it is one of the run's files, made only by a whole run and replaced only as the run is
// (a link in its place is refused as a segment's is, by the same check).
#include "export/segments.h"
#include "export/streamed_digest.h"
#include "test_support.h"
#include "formats/home_of.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace tvx {
namespace {

using test::FolderEntries;
using test::ReadText;
using Lines = std::vector<std::string>;

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

class ManifestTest : public ::testing::Test {
protected:
    std::string Image(const std::string& name, std::uint32_t blocks, std::int64_t stated = -1) {
        const std::string path = m_dir / name;
        EXPECT_TRUE(synth::WriteIm2File(path, {.storedBits = 16, .blocks = blocks, .statedBlocks = stated}));
        ::mkdir(Out().c_str(), 0755);
        return path;
    }
    std::string Out() const { return m_dir / "out"; }
    ConvertResult Convert(const std::string& image, std::uint16_t minutes = 0) {
        return HomeFor(image).Convert({image, Out(), 0, minutes}, m_hooks);
    }
    bool Sha256sumPasses(const std::string& manifest) const {
        return std::system(("cd '" + Out() + "' && sha256sum --quiet --strict -c '" + manifest +
                            "' >&2").c_str()) == 0;
    }

    test::TempDir m_dir;
    test::RecordingHooks m_hooks;
};

// Each WAV is listed by the digest taken as it was written when it came out as long as its
// header was guessed to say, and is read back when it did not (an image holding fewer blocks
// than it states); sha256sum agrees with the list either way.
TEST_F(ManifestTest, ListsTheImageThenEveryFileForSha256sum) {
    struct Case {
        const char* image;
        std::uint32_t blocks;
        std::int64_t stated;
        std::uint16_t minutes;
        bool plainNames;
        std::size_t digestedWhileWritten;
    };
    // 16-bit mono: 1,875 blocks a minute, so three segments; a backslash needs sha256sum's escape.
    for (const Case& c : {Case{"F00012.IM2", 4000, -1, 1, true, 3}, Case{"F\\12.IM2", 20, -1, 0, false, 1},
                          Case{"F00013.IM2", 1900, 4000, 1, true, 1}}) {
        SCOPED_TRACE(c.image);
        const std::string image = Image(c.image, c.blocks, c.stated);
        const ConvertResult result = Convert(image, c.minutes);
        ASSERT_EQ(result.outcome, ConvertOutcome::Completed);
        EXPECT_EQ(result.digests.size(), c.digestedWhileWritten);
        const std::string stem = std::string(c.image).substr(0, std::string(c.image).size() - 4);
        EXPECT_EQ(result.manifest, Out() + "/" + stem + ".sha256");
        const Lines lines = test::LinesOf(ReadText(result.manifest));
        ASSERT_EQ(lines.size(), 1 + result.files.size());
        EXPECT_EQ(result.files.size(), c.plainNames ? 2u * ((c.blocks + 1874) / 1875) : 2u);
        if (c.plainNames) {
            EXPECT_EQ(lines[0].substr(66), image);   // the folder's own path is absolute already
            for (std::size_t i = 0; i < result.files.size(); ++i)
                EXPECT_EQ(lines[i + 1].substr(66), FileNameOf(result.files[i]));
        }
        EXPECT_TRUE(Sha256sumPasses(stem + ".sha256"));
        std::filesystem::remove_all(Out());
    }
}

// The digest runs behind the writer on its own thread; whatever the pace, it takes the head
// and then every buffer in the order handed, and hands the buffers back emptied.
TEST(StreamedDigestTest, DigestsTheHeadThenEveryBufferInOrder) {
    const auto bytes = [](const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); };
    StreamedDigest abc(bytes("ab"));
    abc.Hand(bytes("c"));
    EXPECT_EQ(abc.Finish(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    test::TempDir dir;
    const std::string path = dir / "stream";
    std::ofstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> head = bytes("RIFF");
    file.write("RIFF", 4);
    StreamedDigest digest(head);
    std::vector<std::uint8_t> buffer;
    for (int i = 0; i < 40; ++i) {
        buffer.assign(100'000 + i, static_cast<std::uint8_t>(i * 7));
        file.write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
        buffer = digest.Hand(std::move(buffer));
        EXPECT_TRUE(buffer.empty());
    }
    file.close();
    EXPECT_EQ(digest.Handed(), 40u * 100'000 + 780);
    const Result<FileHash> read = HashFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(digest.Finish(), read->sha256);
}

TEST_F(ManifestTest, CancelledRunLeavesNoManifestNotEvenTheEarlierOne) {
    const std::string image = Image("F00012.IM2", 4000);
    ASSERT_FALSE(Convert(image, 1).manifest.empty());
    m_hooks.answer = true;
    m_hooks.polls = 0;
    m_hooks.cancelWhen = [](int polls) { return polls == 2500; };   // in segment 01
    const ConvertResult cancelled = Convert(image, 1);
    ASSERT_EQ(cancelled.outcome, ConvertOutcome::Cancelled);
    EXPECT_TRUE(cancelled.manifest.empty());
    EXPECT_EQ(FolderEntries(Out()), (Lines{"F00012.00.txt", "F00012.00.wav", "F00012.01.txt", "F00012.01.wav"}));
}

TEST_F(ManifestTest, AnExistingManifestIsAskedAboutAsAnEarlierRunsFile) {
    const std::string image = Image("F00012.IM2", 20);
    const std::string manifest = Out() + "/F00012.sha256";
    WriteText(manifest, "someone's own list\n");
    const ConvertResult declined = Convert(image);
    EXPECT_EQ(declined.outcome, ConvertOutcome::Declined);
    EXPECT_EQ(declined.error.path, manifest);
    EXPECT_EQ(FolderEntries(Out()), Lines{"F00012.sha256"});
    EXPECT_EQ(ReadText(manifest), "someone's own list\n");

    m_hooks.answer = true;
    ASSERT_EQ(Convert(image).outcome, ConvertOutcome::Completed);
    EXPECT_TRUE(Sha256sumPasses("F00012.sha256"));
}

}  // namespace
}  // namespace tvx

// CFile64: which sources open and why not, seeks and reads at the end, a source opened only
// for reading, and the causes of failed writes. Lengths and reads past 4 GiB are shown end to
// end by the command-line tool's sparse-image test.

#include "core/error.h"
#include "core/file64.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tvx {
namespace {

namespace fs = std::filesystem;

class File64 : public testing::Test {
protected:
    std::string MakeFile(const std::string& name, const std::string& content) {
        std::ofstream(m_dir / name, std::ios::binary) << content;
        return m_dir / name;
    }

    const test::TempDir m_dir;
};

// The access mode of the descriptor this process holds on `path`, or -1 when it holds none.
int AccessModeOfOpen(const std::string& path) {
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (fs::read_symlink(fd.path(), ec) == path)
            return ::fcntl(std::stoi(fd.path().filename()), F_GETFL) & O_ACCMODE;
    }
    return -1;
}

bool OpenForReading(CFile64& f, const std::string& path, CFileException* e = nullptr) {
    return f.Open(path, kGenericRead, kShareRead | kShareWrite, kOpenExisting, e);
}

// What the exception `use` throws says: the cause, errno and the file; Io, 0 and "nothing
// thrown" when it throws none.
template <typename Use>
std::tuple<Cause, int, std::string> Thrown(Use use) {
    try {
        use();
    } catch (const CFileException& e) {
        return {e.m_cause, e.m_lOsError, e.m_strFileName};
    }
    return {Cause::Io, 0, "nothing thrown"};
}

TEST_F(File64, SourcesThatDoNotOpen) {
    const std::string fifo = m_dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string loop = m_dir / "loop";
    fs::create_symlink(loop, loop);
    const std::tuple<std::string, Cause, int> kCases[] = {
        {m_dir / "missing.IM2", Cause::NotFound, ENOENT},
        {MakeFile("plain", "x") + "/image.IM2", Cause::NotFound, ENOTDIR},
        {m_dir / "", Cause::Io, EISDIR},
        // A FIFO or a device would block or never end: refused before any read.
        {fifo, Cause::BadFormat, 0},
        {"/dev/zero", Cause::BadFormat, 0},
        {loop, Cause::Io, ELOOP},
        {"", Cause::NotFound, ENOENT},
    };
    for (const auto& [path, cause, osError] : kCases) {
        SCOPED_TRACE(path);
        CFile64 f;
        CFileException e;
        EXPECT_FALSE(OpenForReading(f, path, &e));
        EXPECT_EQ(std::tuple(f.IsOpen(), f.GetFileName()), std::tuple(false, ""));
        EXPECT_EQ(std::tuple(e.m_cause, e.m_lOsError, e.m_strFileName), std::tuple(cause, osError, path));
        EXPECT_FALSE(OpenForReading(f, path));   // without an exception object too
    }
}

TEST_F(File64, SeeksAndReadsNearTheEnd) {
    CFile64 f;
    ASSERT_TRUE(OpenForReading(f, MakeFile("a.IM2", std::string(1052, 'a') + "tail")));
    const std::uint64_t record = 528;
    const std::uint64_t tooFar = 2000;
    // Past the end is allowed; from the start the direction is ignored.
    EXPECT_EQ(std::vector({f.Seek(&record, kSeekEnd, 0), f.Seek(&record, kSeekEnd, 1), f.Seek(&record, kSeekBegin, 0),
                           f.Seek(&record, kSeekCurrent, 1), f.Seek(&record, kSeekCurrent, 0), f.GetPosition()}),
              std::vector<std::uint64_t>({528, 1584, 528, 1056, 528, 528}));
    EXPECT_THROW(f.Seek(&tooFar, kSeekCurrent, 0), CFileException);
    // Near the end a read returns what is left, past it nothing, and neither throws.
    std::array<char, 528> buffer{};
    EXPECT_EQ(std::vector<std::uint64_t>({f.Seek(&record, kSeekEnd, 1), f.Read(buffer.data(), 528), f.SeekTo(956),
                                          f.Read(buffer.data(), 528)}),
              std::vector<std::uint64_t>({1584, 0, 956, 100}));
    EXPECT_EQ(std::string(buffer.data() + 96, 4), "tail");
}

TEST_F(File64, ASourceIsOpenedOnlyForReadingAndAClosedFileRefusesUse) {
    const std::string path = MakeFile("source.IM2", std::string(1056, 'a'));
    const std::string other = MakeFile("other.IM2", "defg");
    {
        CFile64 f;
        // Closed, every use throws with the cause: no descriptor.
        EXPECT_EQ(std::vector({std::get<int>(Thrown([&] { f.GetLength(); })),
                               std::get<int>(Thrown([&] { f.GetPosition(); })),
                               std::get<int>(Thrown([&] { f.Write("b", 1); }))}),
                  std::vector({EBADF, EBADF, EBADF}));
        EXPECT_NO_THROW(f.Close());   // closed already: only resets
        ASSERT_TRUE(OpenForReading(f, path));
        EXPECT_EQ(std::tuple(AccessModeOfOpen(path), f.GetFileName()), std::tuple(O_RDONLY, path));
        EXPECT_EQ(std::tuple(std::get<int>(Thrown([&] { f.Write("b", 1); })),
                             std::get<int>(Thrown([&] { f.SetEndOfFile(); }))),
                  std::tuple(EBADF, EINVAL));
        f.Close();
        EXPECT_EQ(std::tuple(f.IsOpen(), f.GetFileName(), AccessModeOfOpen(path)), std::tuple(false, "", -1));
        ASSERT_TRUE(OpenForReading(f, path));
        f.Abort();
        EXPECT_EQ(std::tuple(f.IsOpen(), AccessModeOfOpen(path)), std::tuple(false, -1));
        // A second open drops the first file.
        ASSERT_TRUE(OpenForReading(f, path));
        ASSERT_TRUE(OpenForReading(f, other));
        EXPECT_EQ(std::tuple(AccessModeOfOpen(path), f.GetLength()), std::tuple(-1, 4u));
    }
    EXPECT_EQ(AccessModeOfOpen(other), -1);   // the destructor closed it
}

TEST_F(File64, WritingTruncatesAndAShortWriteIsADiskFull) {
    const std::string path = MakeFile("limited.wav", "old content");
    CFile64 f;
    ASSERT_TRUE(f.Open(path, kGenericWrite, 0, kCreateAlways, nullptr));
    EXPECT_EQ(std::tuple(AccessModeOfOpen(path), f.GetLength()), std::tuple(O_WRONLY, 0u));
    // A file-size limit makes the kernel cut a write short, then refuse the next one.
    const std::string block(600, 'x');
    f.Write(block.data(), 600);
    std::tuple<Cause, int, std::string> shortWrite, refused;
    {
        const test::FileSizeLimit limit(1000);
        shortWrite = Thrown([&] { f.Write(block.data(), 600); });
        refused = Thrown([&] { f.Write(block.data(), 600); });
    }
    EXPECT_EQ(shortWrite, std::tuple(Cause::DiskFull, -1, path));
    EXPECT_EQ(refused, std::tuple(Cause::DiskFull, EFBIG, path));
    EXPECT_EQ(f.GetLength(), 1000u);
}

}  // namespace
}  // namespace tvx

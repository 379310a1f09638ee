#include "fuzz/fuzz_support.h"

#include "analysis/examination_report.h"
#include "analysis/peaks.h"
#include "cli/report_json.h"
#include "cli/report_text.h"
#include "core/bytes.h"
#include "formats/home_of.h"
#include "formats/im2/convert_im2.h"
#include "formats/img/convert_img.h"
#include "formats/ix2/convert_ix2.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace tvx::fuzz {

namespace fs = std::filesystem;

namespace {

bool IsWritableFolder(const char* path) {
    std::error_code ec;
    return fs::is_directory(path, ec) && ::access(path, W_OK | X_OK) == 0;
}

std::string ScratchBase() {
    if (const char* chosen = std::getenv("TVX_FUZZ_TMP"); chosen && *chosen)
        return chosen;
    // A tmpfs keeps the file system calls of millions of inputs off the disk.
    if (IsWritableFolder("/dev/shm"))
        return "/dev/shm";
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp)
        return tmp;
    return "/tmp";
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           std::equal(tail.rbegin(), tail.rend(), text.rbegin());
}

std::uint32_t Le32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return LoadLe32(bytes, at);
}

}  // namespace

Scratch::Scratch() {
    std::string pattern = ScratchBase() + "/tvx-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("tvx fuzz: cannot make a scratch folder");
        std::abort();
    }
    m_path = pattern;
}

Scratch::~Scratch() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string Scratch::Write(const std::string& name, std::span<const std::uint8_t> bytes) const {
    const std::string path = m_path + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "tvx fuzz: cannot write %s\n", path.c_str());
        std::abort();
    }
    return path;
}

std::string Scratch::Folder(const std::string& name) const {
    const std::string path = m_path + "/" + name;
    fs::create_directories(path);
    return path;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "tvx fuzz: check failed at %s:%d: %s\n", file, line, what);
    std::abort();
}

void CheckConversionFiles(const ConvertResult& result) {
    for (const std::string& path : result.files) {
        const std::vector<std::uint8_t> bytes = ReadFile(path);
        if (EndsWith(path, ".wav")) {
            TVX_FUZZ_CHECK(bytes.size() >= 44);
            TVX_FUZZ_CHECK(Le32At(bytes, 4) == bytes.size() - 8);
            TVX_FUZZ_CHECK(Le32At(bytes, 40) == bytes.size() - 44);
            continue;
        }
        const std::string text(bytes.begin(), bytes.end());
        const bool completed = text.find("Decryption Completed.\r\n") != std::string::npos;
        const bool cancelled = EndsWith(text, "Decryption Cancelled.\r\n");
        TVX_FUZZ_CHECK(completed != cancelled);
    }
}

std::vector<std::pair<std::string, std::vector<std::uint8_t>>> FolderContents(
    const std::string& folder) {
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.emplace_back(entry.path().filename().string(), ReadFile(entry.path().string()));
    std::sort(files.begin(), files.end());
    return files;
}

namespace {

Result<AuthReport> Authenticate(const std::string& path, ImageFormat format,
                                std::size_t pieceRecords) {
    Hooks hooks;
    AuthTally tally;
    return HomeOf(format).Authenticate(path, hooks, tally, pieceRecords);
}

bool SameRuns(const IrregularRuns& a, const IrregularRuns& b) {
    return a.Records() == b.Records() &&
           std::equal(a.Runs().begin(), a.Runs().end(), b.Runs().begin(), b.Runs().end(),
                      [](const IrregularRun& x, const IrregularRun& y) {
                          return x.first == y.first && x.last == y.last &&
                                 x.status == y.status && x.startMs == y.startMs &&
                                 x.endMs == y.endMs;
                      });
}

bool SameCounts(const TallyCounts& a, const TallyCounts& b) {
    return a.unitIdErrors == b.unitIdErrors && a.fileNumberErrors == b.fileNumberErrors &&
           a.sequenceErrors == b.sequenceErrors && a.checksumErrors == b.checksumErrors &&
           a.verifiedBlocks == b.verifiedBlocks && a.irregularBlocks == b.irregularBlocks;
}

}  // namespace

Result<AuthReport> AuthenticateTwice(const std::string& path, ImageFormat format) {
    Result<AuthReport> one = Authenticate(path, format, 1);
    // Inputs are at most a few dozen records: 64 a read takes any of them in one piece,
    // without zeroing the megabyte the tool's 2,048 would cost every input.
    const Result<AuthReport> many = Authenticate(path, format, 64);
    TVX_FUZZ_CHECK(bool(one) == bool(many));
    if (!one) {
        TVX_FUZZ_CHECK(!cli::FailureText(one.GetError()).empty());
        return one;
    }
    TVX_FUZZ_CHECK(SameCounts(one->counts, many->counts));
    TVX_FUZZ_CHECK(SameRuns(one->irregular, many->irregular));
    TVX_FUZZ_CHECK(one->durations.verifiedMs == many->durations.verifiedMs);
    TVX_FUZZ_CHECK(one->durations.unauthenticatedMs == many->durations.unauthenticatedMs);
    // A block is counted once at most, and only the blocks the strip has room for.
    const std::uint64_t room = one->isIx2 ? static_cast<std::uint32_t>(one->splitBlocks)
                                          : one->statedBlocks;
    const std::int64_t judged =
        std::int64_t{one->counts.verifiedBlocks} + one->counts.irregularBlocks;
    TVX_FUZZ_CHECK(judged >= 0 && static_cast<std::uint64_t>(judged) <= room);
    (void)cli::VerifyText(*one);
    cli::JsonWriter json;
    cli::WriteReportJson(json, *one);
    (void)IsAllAuthentic(*one);
    return one;
}

void BuildAndCheckPeaks(const std::string& path, ImageFormat format,
                        const Result<AuthReport>& report) {
    Hooks hooks;
    constexpr std::uint16_t kWidth = 37;
    const Peaks peaks = BuildPeaks(path, format, kWidth, hooks);
    TVX_FUZZ_CHECK(peaks.columnsDone <= kWidth);
    TVX_FUZZ_CHECK(peaks.peak1.size() == kWidth);
    TVX_FUZZ_CHECK(peaks.peak2.empty() || peaks.peak2.size() == kWidth);
    if (report && format == ImageFormat::Img)
        TVX_FUZZ_CHECK(peaks.blocks == report->statedBlocks);
}

ConvertResult ConvertInto(const std::string& path, ImageFormat format, const std::string& folder,
                          bool readAhead) {
    Hooks hooks;
    const ConvertRequest request{path, folder, 0, 1};
    ConvertResult result;
    switch (format) {
    case ImageFormat::Ix2:
        result = ConvertIx2(request, hooks);
        break;
    case ImageFormat::Img:
        result = ConvertImg(request, hooks);
        break;
    default:
        result = ConvertIm2(request, hooks, PassOptions{.readAhead = readAhead});
        break;
    }
    CheckConversionFiles(result);
    return result;
}

}  // namespace tvx::fuzz

// The scans behind "&Authenticate", one per format, judged by the same rules wherever they hold.
#include "analysis/authenticate.h"
#include "analysis/authenticate_img.h"
#include "analysis/authenticate_ix2.h"

#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tvx {
namespace {

namespace fs = std::filesystem;
using synth::Fault;
using synth::FaultKind;
using synth::ImgFault;
using synth::ImgFaultKind;

// 16-bit mono at 8000 Hz: 256 samples, exactly 32 ms per block, so positions read plainly.
synth::Im2Options Plain16(std::uint32_t blocks = 20) { return {.storedBits = 16, .blocks = blocks}; }

synth::Ix2Options Split(bool chain, std::uint32_t blocks = 60) {
    synth::Ix2Options o;
    o.audio = Plain16(blocks);
    o.chain = chain;
    o.splitFirst = 100;
    o.recordingLast = 5000;
    return o;
}

class CancelAfter : public Hooks {
public:
    explicit CancelAfter(int polls) : m_left(polls) {}
    bool IsCancelled() override { return m_left-- <= 0; }

private:
    int m_left;
};

// Every record the runs name, in scan order.
std::vector<std::int32_t> IndicesOf(const AuthReport& r) {
    std::vector<std::int32_t> out;
    for (const IrregularRun& run : r.irregular.Runs())
        for (std::int32_t i = run.first; i <= run.last; ++i)
            out.push_back(i);
    return out;
}

class AuthenticateTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                (std::string("tvx-auth-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::string Im2(const synth::Im2Options& o, std::vector<Fault> f = {}, const char* name = "F.IM2") {
        EXPECT_TRUE(synth::WriteIm2File(Path(name), o, f));
        return Path(name);
    }
    std::string Ix2(const synth::Ix2Options& o, std::vector<Fault> f = {}, const char* name = "F.IX2") {
        EXPECT_TRUE(synth::WriteIx2File(Path(name), o, f));
        return Path(name);
    }
    std::string Img(const synth::ImgOptions& o, std::vector<ImgFault> f = {}, const char* name = "V.IMG") {
        EXPECT_TRUE(synth::WriteImgFile(Path(name), o, f));
        return Path(name);
    }

    // The pass of the format the name ends in.
    static Result<AuthReport> Run(const std::string& path, std::size_t piece = kScanPieceRecords,
                                  Hooks* hooks = nullptr) {
        Hooks quiet;
        Hooks& h = hooks ? *hooks : quiet;
        AuthTally tally;
        if (path.ends_with(".IX2"))
            return AuthenticateIx2(path, h, tally, piece);
        if (path.ends_with(".IMG"))
            return AuthenticateImg(path, h, tally, piece);
        return AuthenticateIm2(path, h, tally, piece);
    }
    static AuthReport Scan(const std::string& path, std::size_t piece = kScanPieceRecords,
                           Hooks* hooks = nullptr) {
        Result<AuthReport> r = Run(path, piece, hooks);
        EXPECT_TRUE(r) << path << ": " << DescribeError(r ? Error{} : r.GetError());
        return r ? *r : AuthReport{};
    }

    fs::path m_dir;
};

TEST_F(AuthenticateTest, UntouchedImagesOfEveryFormAreVerifiedThroughout) {
    struct Case {
        std::string path;
        const char* format;
        std::int32_t blocks;
        std::int64_t ms;
    };
    std::vector<Case> cases;
    for (const int bits : {4, 8, 16})
        for (const int channels : {1, 2}) {
            const std::string name = "F" + std::to_string(bits) + std::to_string(channels) + ".IM2";
            synth::Im2Options o = Plain16(30);
            o.storedBits = bits;
            o.channels = channels;
            cases.push_back({Im2(o, {}, name.c_str()), "IM2", 30, -1});
        }
    // The split's own length is the duration: 60 blocks of 32 ms.
    cases.push_back({Ix2(Split(false), {}, "P.IX2"), "IX2", 60, 1920});
    cases.push_back({Ix2(Split(true), {}, "C.IX2"), "IX2", 60, 1920});
    // Records count from index zero: 512 or 816 samples at 8 kHz, the erased tail not at all.
    cases.push_back({Img({.bits = 8, .records = 40, .erased = 7}, {}, "V8.IMG"), "IMG", 40, 40 * 64});
    cases.push_back({Img({.bits = 5, .records = 40, .erased = 7}, {}, "V5.IMG"), "IMG", 40, 4080});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const AuthReport r = Scan(c.path);
        EXPECT_EQ(r.format, c.format);
        EXPECT_TRUE(r.headerOk);
        EXPECT_EQ(r.structureJudged, c.format != std::string("IMG"));
        EXPECT_EQ(r.counts.verifiedBlocks, c.blocks);
        EXPECT_EQ(r.counts.irregularBlocks, 0);
        EXPECT_TRUE(r.irregular.Empty());
        EXPECT_EQ(r.voiceChecksumErrors, 0u);
        EXPECT_GT(r.durations.durationMs, 0);
        if (c.ms >= 0) {
            EXPECT_EQ(r.durations.durationMs, c.ms);
        }
        EXPECT_EQ(r.durations.verifiedMs, r.durations.durationMs);
        EXPECT_EQ(r.durations.unauthenticatedMs, 0);
    }
    const AuthReport im2 = Scan(cases[0].path);
    EXPECT_TRUE(im2.complete);
    const AuthReport chain = Scan(cases[7].path);
    EXPECT_TRUE(chain.chain);
    EXPECT_EQ(chain.splitFirst, 100u);
    EXPECT_EQ(chain.splitLast, 159u);
    EXPECT_TRUE(chain.wholeSplit);
    EXPECT_FALSE(chain.complete);   // a split is never the whole recording
    EXPECT_EQ(chain.statedBlocks, 5001u);
    EXPECT_FALSE(Scan(cases[6].path).chain);
    EXPECT_EQ(Scan(cases[8].path).unitId, "QL-1A2B");
}

TEST_F(AuthenticateTest, EachFaultIsCountedOnItsRecordWhateverThePieceSize) {
    // IM2 and both IX2 forms carry the same faults and are judged alike; a chain's inner
    // blocks exactly as plain blocks.
    const std::vector<Fault> faults = {{FaultKind::PayloadByte, 3}, {FaultKind::UnitNumber, 5},
                                       {FaultKind::FileNumber, 9},  {FaultKind::BlockOrder, 12},
                                       {FaultKind::Timestamp, 16}};
    struct Case {
        std::string path;
        std::vector<std::int32_t> indices;
        TallyCounts counts;
        std::uint64_t voiceErrors;
    };
    const TallyCounts alike{.unitIdErrors = 1, .fileNumberErrors = 1, .sequenceErrors = 3,
                            .checksumErrors = 1, .verifiedBlocks = 54, .irregularBlocks = 6};
    TallyCounts im2 = alike;
    im2.verifiedBlocks = 14;
    // IMG: the voice-image checksum is followed as the conversion follows it, listed apart
    // from the window's counts. A wrong block checksum keeps that block out of the running
    // sum, so the chain breaks there too.
    const Case cases[] = {
        {Im2(Plain16(), faults), {3, 5, 9, 12, 13, 16}, im2, 0},
        {Ix2(Split(false), faults, "P.IX2"), {3, 5, 9, 12, 13, 16}, alike, 0},
        {Ix2(Split(true), faults, "C.IX2"), {3, 5, 9, 12, 13, 16}, alike, 0},
        {Img({.records = 40},
             {{ImgFaultKind::RecordIndex, 7}, {ImgFaultKind::UnitId, 20}, {ImgFaultKind::FileNumber, 21},
              {ImgFaultKind::BlockChecksum, 33}, {ImgFaultKind::VoiceChecksum, 35}}),
         {6, 19, 20, 32, 34},
         {.unitIdErrors = 1, .fileNumberErrors = 1, .sequenceErrors = 1, .checksumErrors = 1,
          .verifiedBlocks = 36, .irregularBlocks = 4},
         2},
    };
    for (const Case& c : cases) {
        for (const std::size_t piece : {std::size_t{1}, kScanPieceRecords, std::size_t{2048}}) {
            SCOPED_TRACE(c.path + " in pieces of " + std::to_string(piece));
            const AuthReport r = Scan(c.path, piece);
            EXPECT_EQ(IndicesOf(r), c.indices);
            EXPECT_EQ(r.counts.verifiedBlocks, c.counts.verifiedBlocks);
            EXPECT_EQ(r.counts.irregularBlocks, c.counts.irregularBlocks);
            EXPECT_EQ(r.counts.unitIdErrors, c.counts.unitIdErrors);
            EXPECT_EQ(r.counts.fileNumberErrors, c.counts.fileNumberErrors);
            EXPECT_EQ(r.counts.sequenceErrors, c.counts.sequenceErrors);
            EXPECT_EQ(r.counts.checksumErrors, c.counts.checksumErrors);
            EXPECT_EQ(r.voiceChecksumErrors, c.voiceErrors);
            EXPECT_EQ(r.durations.irregularMs, c.voiceErrors ? 4 * 64 : 6 * 32);
            EXPECT_EQ(r.durations.unauthenticatedMs, 0);
        }
    }
    // The swapped pair shares its status, so six blocks make five runs, placed in time.
    const std::vector<IrregularRun> runs = Scan(cases[2].path).irregular.Runs();
    ASSERT_EQ(runs.size(), 5u);
    const BlockStatus statuses[] = {kChecksumError, kUnitIdError, kFileNumberError, kBlockOrderError,
                                    kTimestampError};
    for (std::size_t k = 0; k < 5; ++k)
        EXPECT_EQ(runs[k].status, kIrregular | statuses[k]) << k;
    EXPECT_EQ(runs[0].startMs, 96);
    EXPECT_EQ(runs[0].endMs, 128);
    EXPECT_EQ(runs[3].last, 13);
    EXPECT_EQ(runs[3].endMs, 14 * 32);
    EXPECT_EQ(runs[4].startMs, 512);
    const std::vector<IrregularRun> img = Scan(cases[3].path).irregular.Runs();
    EXPECT_EQ(img[3].status, kIrregular | kChecksumError | kVoiceImageError);
    EXPECT_EQ(img[4].status, kIrregular | kVoiceImageError);
}

// Every block wrong in the same way: a few runs, however long the image.
TEST_F(AuthenticateTest, AWhollyDamagedImageIsAFewRuns) {
    std::vector<std::uint8_t> bytes = synth::MakeIm2(Plain16(3000));
    std::fill(bytes.begin() + kRecordSize, bytes.end(), std::uint8_t{0});
    ASSERT_TRUE(synth::WriteBytes(Path("F.IM2"), bytes));
    const AuthReport r = Scan(Path("F.IM2"));
    EXPECT_EQ(r.counts.irregularBlocks, 3000);
    EXPECT_EQ(r.irregular.Records(), 3000u);
    // Block 0 carries the index it should; every later one is out of order as well.
    ASSERT_EQ(r.irregular.Runs().size(), 2u);
    const IrregularRun& rest = r.irregular.Runs()[1];
    EXPECT_EQ(rest.first, 1);
    EXPECT_EQ(rest.last, 2999);
    EXPECT_EQ(rest.status, kIrregular | kUnitIdError | kFileNumberError | kBlockOrderError |
                               kTimestampError);
    EXPECT_EQ(rest.endMs, 3000 * 32);
}

TEST_F(AuthenticateTest, ABadHeaderOrIndexBlockCountsItsCauseButNoTime) {
    synth::Ix2Options broken = Split(false);
    broken.brokenIndexBlock = 1;
    struct Case {
        std::string path;
        std::int32_t index;
        std::int32_t verified;
    };
    for (const Case& c : {Case{Im2(Plain16(), {{FaultKind::BadHeader, 0}}), -1, 20},
                          Case{Ix2(broken), -2, 60}}) {
        SCOPED_TRACE(c.path);
        const AuthReport r = Scan(c.path);
        EXPECT_FALSE(r.headerOk);
        EXPECT_EQ(IndicesOf(r), std::vector<std::int32_t>{c.index});
        EXPECT_EQ(r.irregular.Runs()[0].status & kHeaderRecord, kHeaderRecord);
        EXPECT_EQ(r.counts.checksumErrors, 1);
        EXPECT_EQ(r.counts.irregularBlocks, 0);
        EXPECT_EQ(r.counts.verifiedBlocks, c.verified);
        EXPECT_EQ(r.durations.irregularMs, 0);
    }
}

// What the file does not hold is never judged, and stays Unauthenticated.
TEST_F(AuthenticateTest, ShortAndOverstatedImagesJudgeOnlyWhatTheyHold) {
    std::vector<std::uint8_t> headerOnly = synth::MakeIm2(Plain16(20));
    headerOnly.resize(kRecordSize);
    ASSERT_TRUE(synth::WriteBytes(Path("head.IM2"), headerOnly));
    synth::Im2Options overstated = Plain16(20);
    overstated.statedBlocks = 15;
    synth::Ix2Options indexOnly = Split(false);
    indexOnly.cutTo = 2239;
    synth::Ix2Options unnamed = Split(true);
    unnamed.matchingEntry = false;   // index block 0 numbers the 62 outer blocks
    struct Case {
        std::string path;
        std::uint64_t fileBlocks;
        std::int32_t verified;
        std::int64_t durationMs, unauthenticatedMs;
    };
    const Case cases[] = {
        {Im2(Plain16(), {{FaultKind::TruncateLast, 100}}, "cut.IM2"), 19, 19, 640, 32},
        {Im2(overstated, {}, "over.IM2"), 20, 15, 15 * 32, 0},   // records past the count
        {Path("head.IM2"), 0, 0, 640, 640},
        {Ix2(indexOnly, {}, "index.IX2"), 0, 0, 0, 0},
        {Ix2(unnamed, {}, "unnamed.IX2"), 60, 60, 62 * 32, 64},
        // IMG images have no stated length: a cut record is simply not one of them.
        {Img({.records = 10}, {{ImgFaultKind::CutLast, 200}}, "cut.IMG"), 9, 9, 9 * 64, 0},
        {Img({.records = 0, .erased = 5}, {}, "erased.IMG"), 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        for (const std::size_t piece : {std::size_t{1}, kScanPieceRecords, std::size_t{4096}}) {
            SCOPED_TRACE(c.path + " in pieces of " + std::to_string(piece));
            const AuthReport r = Scan(c.path, piece);
            if (c.path.ends_with(".IM2")) {
                EXPECT_FALSE(r.complete);
                EXPECT_EQ(r.fileBlocks, c.fileBlocks);
            }
            EXPECT_EQ(r.counts.verifiedBlocks, c.verified);
            EXPECT_EQ(r.counts.irregularBlocks, 0);
            EXPECT_EQ(r.durations.durationMs, c.durationMs);
            EXPECT_EQ(r.durations.unauthenticatedMs, c.unauthenticatedMs);
        }
    }
    EXPECT_TRUE(Scan(Path("index.IX2")).headerOk);   // the index is judged once it is all there
    EXPECT_EQ(Scan(Path("index.IX2")).splitBlocks, 0u);
    EXPECT_EQ(Scan(Path("unnamed.IX2")).splitBlocks, 62u);
}

TEST_F(AuthenticateTest, CancelKeepsTheCountsReached) {
    for (const std::string& path : {Im2(Plain16(100)), Ix2(Split(false, 100)), Img({.records = 100})}) {
        SCOPED_TRACE(path);
        CancelAfter hooks(2);   // two pieces of 16 examined, the third dropped
        const AuthReport r = Scan(path, 16, &hooks);
        EXPECT_TRUE(r.cancelled);
        EXPECT_EQ(r.counts.verifiedBlocks, 32);
        EXPECT_EQ(r.durations.unauthenticatedMs, r.durations.durationMs - r.durations.verifiedMs);
        EXPECT_GT(r.durations.unauthenticatedMs, 0);
    }
}

TEST_F(AuthenticateTest, UnreadableInputGivesAReasonNotAReport) {
    ASSERT_TRUE(synth::WriteBytes(Path("empty.IM2"), {}));
    ASSERT_TRUE(synth::WriteBytes(Path("short.IM2"), std::vector<std::uint8_t>(527, 0)));
    fs::create_directories(Path("folder.IM2"));
    struct Case {
        std::string path;
        Cause cause;
        const char* said;
    };
    std::vector<Case> cases = {
        {Path("none.IM2"), Cause::NotFound, "No such file"},
        {Path("none.IX2"), Cause::NotFound, "No such file"},
        {Path("none.IMG"), Cause::NotFound, "No such file"},
        {Path("empty.IM2"), Cause::BadFormat, "header"},
        {Path("short.IM2"), Cause::BadFormat, ""},
        {Img({.records = 1}, {{ImgFaultKind::CutLast, 100}}), Cause::BadFormat, ""},
    };
    // An IX2 file without all three index blocks is refused.
    for (const std::uint64_t length : {0u, 655u, 1183u, 1711u}) {
        synth::Ix2Options o = Split(false);
        o.cutTo = length;
        const std::string name = std::to_string(length) + ".IX2";
        cases.push_back({Ix2(o, {}, name.c_str()), Cause::BadFormat, "too short"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const Result<AuthReport> r = Run(c.path);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.GetError().cause, c.cause);
        EXPECT_NE(DescribeError(r.GetError()).find(c.said), std::string::npos) << DescribeError(r.GetError());
    }
    const Result<AuthReport> folder = Run(Path("folder.IM2"));
    ASSERT_FALSE(folder);
    EXPECT_NE(folder.GetError().osError, 0);
}

}  // namespace
}  // namespace tvx

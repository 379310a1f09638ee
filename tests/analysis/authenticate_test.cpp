// The scans behind "&Authenticate", one per format, judged by the same rules wherever they hold.
#include "analysis/authenticate.h"
#include "formats/im2/authenticate_im2.h"
#include "formats/img/authenticate_img.h"
#include "formats/ix2/authenticate_ix2.h"

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

bool Has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

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

// What a scan must find, whatever the size of the pieces it reads: the records named
// irregular, the counts and the four durations.
struct Expected {
    std::vector<std::int32_t> indices;
    TallyCounts counts;
    std::int64_t durationMs, verifiedMs, irregularMs, unauthenticatedMs;   // -1: verified throughout
    bool headerOk = true;
    std::uint64_t voiceErrors = 0;
};

TallyCounts Verified(std::int32_t blocks) { return {.verifiedBlocks = blocks}; }

TEST_F(AuthenticateTest, EveryRecordIsJudgedOnceAsTheRulesOfItsFormatSay) {
    // IM2 and both IX2 forms carry the same faults and are judged alike; a chain's inner
    // blocks exactly as plain blocks.
    const std::vector<Fault> faults = {{FaultKind::PayloadByte, 3}, {FaultKind::UnitNumber, 5},
                                       {FaultKind::FileNumber, 9},  {FaultKind::BlockOrder, 12},
                                       {FaultKind::Timestamp, 16}};
    const std::vector<std::int32_t> faulty = {3, 5, 9, 12, 13, 16};   // the swapped pair both
    const TallyCounts counted{.unitIdErrors = 1, .fileNumberErrors = 1, .sequenceErrors = 3,
                              .checksumErrors = 1, .verifiedBlocks = 54, .irregularBlocks = 6};
    TallyCounts im2Counted = counted;
    im2Counted.verifiedBlocks = 14;
    std::vector<std::uint8_t> headerOnly = synth::MakeIm2(Plain16(20));
    headerOnly.resize(kRecordSize);
    ASSERT_TRUE(synth::WriteBytes(Path("short-head.IM2"), headerOnly));
    synth::Im2Options overstated = Plain16(20);
    overstated.statedBlocks = 15;
    synth::Ix2Options brokenIndex = Split(false), indexOnly = Split(false), unnamed = Split(true);
    brokenIndex.brokenIndexBlock = 1;
    indexOnly.cutTo = 2239;
    unnamed.matchingEntry = false;   // index block 0 numbers the 62 outer blocks

    std::vector<std::pair<std::string, Expected>> cases;
    for (const int bits : {4, 8, 16})
        for (const int channels : {1, 2}) {
            const std::string name = std::to_string(bits) + "-bit-" + std::to_string(channels) + ".IM2";
            synth::Im2Options o = Plain16(30);
            o.storedBits = bits;
            o.channels = channels;
            cases.push_back({Im2(o, {}, name.c_str()), {{}, Verified(30), -1, -1, 0, 0}});
        }
    const std::pair<std::string, Expected> more[] = {
        // The split's own length is the duration: 60 blocks of 32 ms.
        {Ix2(Split(false), {}, "P.IX2"), {{}, Verified(60), 1920, 1920, 0, 0}},
        {Ix2(Split(true), {}, "C.IX2"), {{}, Verified(60), 1920, 1920, 0, 0}},
        // Records count from index zero: 512 or 816 samples at 8 kHz, the erased tail not at all.
        {Img({.bits = 8, .records = 40, .erased = 7}, {}, "V8.IMG"), {{}, Verified(40), 2560, 2560, 0, 0}},
        {Img({.bits = 5, .records = 40, .erased = 7}, {}, "V5.IMG"), {{}, Verified(40), 4080, 4080, 0, 0}},
        {Im2(Plain16(), faults, "faults.IM2"), {faulty, im2Counted, 640, 448, 192, 0}},
        {Ix2(Split(false), faults, "faultsP.IX2"), {faulty, counted, 1920, 1728, 192, 0}},
        {Ix2(Split(true), faults, "faultsC.IX2"), {faulty, counted, 1920, 1728, 192, 0}},
        // The voice-image checksum is followed as the conversion follows it, listed apart from
        // the window's counts.
        {Img({.records = 40},
             {{ImgFaultKind::RecordIndex, 7}, {ImgFaultKind::UnitId, 20}, {ImgFaultKind::FileNumber, 21},
              {ImgFaultKind::BlockChecksum, 33}, {ImgFaultKind::VoiceChecksum, 35}},
             "faults.IMG"),
         {{6, 19, 20, 32, 34},
          {.unitIdErrors = 1, .fileNumberErrors = 1, .sequenceErrors = 1, .checksumErrors = 1,
           .verifiedBlocks = 36, .irregularBlocks = 4},
          2560, 2304, 256, 0, true, 2}},
        // A bad header or index block counts its cause, but no time.
        {Im2(Plain16(), {{FaultKind::BadHeader, 0}}, "header.IM2"),
         {{-1}, {.checksumErrors = 1, .verifiedBlocks = 20}, 640, 640, 0, 0, false}},
        {Ix2(brokenIndex, {}, "index1.IX2"), {{-2}, {.checksumErrors = 1, .verifiedBlocks = 60}, 1920, 1920, 0, 0, false}},
        // What the file does not hold is never judged, and stays Unauthenticated.
        {Im2(Plain16(), {{FaultKind::TruncateLast, 100}}, "short-cut.IM2"), {{}, Verified(19), 640, 608, 0, 32}},
        {Im2(overstated, {}, "short-over.IM2"), {{}, Verified(15), 480, 480, 0, 0}},   // records past the count
        {Path("short-head.IM2"), {{}, Verified(0), 640, 0, 0, 640}},
        {Ix2(indexOnly, {}, "index.IX2"), {{}, Verified(0), 0, 0, 0, 0}},   // judged once it is all there
        {Ix2(unnamed, {}, "unnamed.IX2"), {{}, Verified(60), 1984, 1920, 0, 64}},
        // IMG images have no stated length: a cut record is simply not one of them.
        {Img({.records = 10}, {{ImgFaultKind::CutLast, 200}}, "cut.IMG"), {{}, Verified(9), 576, 576, 0, 0}},
        {Img({.records = 0, .erased = 5}, {}, "erased.IMG"), {{}, Verified(0), 0, 0, 0, 0}},
    };
    cases.insert(cases.end(), std::begin(more), std::end(more));
    for (const auto& [path, want] : cases) {
        for (const std::size_t piece : {std::size_t{1}, kScanPieceRecords, std::size_t{4096}}) {
            SCOPED_TRACE(path + " in pieces of " + std::to_string(piece));
            const AuthReport r = Scan(path, piece);
            EXPECT_EQ(IndicesOf(r), want.indices);
            EXPECT_EQ(r.counts.verifiedBlocks, want.counts.verifiedBlocks);
            EXPECT_EQ(r.counts.irregularBlocks, want.counts.irregularBlocks);
            EXPECT_EQ(r.counts.unitIdErrors, want.counts.unitIdErrors);
            EXPECT_EQ(r.counts.fileNumberErrors, want.counts.fileNumberErrors);
            EXPECT_EQ(r.counts.sequenceErrors, want.counts.sequenceErrors);
            EXPECT_EQ(r.counts.checksumErrors, want.counts.checksumErrors);
            EXPECT_EQ(r.voiceChecksumErrors, want.voiceErrors);
            EXPECT_EQ(r.headerOk, want.headerOk);
            EXPECT_EQ(r.format, path.substr(path.size() - 3));
            EXPECT_EQ(r.structureJudged, !path.ends_with(".IMG"));
            if (want.durationMs < 0) {
                EXPECT_GT(r.durations.durationMs, 0);
                EXPECT_EQ(r.durations.verifiedMs, r.durations.durationMs);
            } else {
                EXPECT_EQ(r.durations.durationMs, want.durationMs);
                EXPECT_EQ(r.durations.verifiedMs, want.verifiedMs);
            }
            EXPECT_EQ(r.durations.irregularMs, want.irregularMs);
            EXPECT_EQ(r.durations.unauthenticatedMs, want.unauthenticatedMs);
            // A split is never the whole recording; an IMG image has no length to fall short of.
            EXPECT_EQ(r.complete, path.ends_with(".IMG") || (path.ends_with(".IM2") && !Has(path, "short-")));
        }
    }
    const AuthReport cut = Scan(Path("short-cut.IM2")), over = Scan(Path("short-over.IM2"));
    EXPECT_EQ(cut.fileBlocks, 19u);
    EXPECT_EQ(over.fileBlocks, 20u);
    EXPECT_EQ(Scan(Path("short-head.IM2")).fileBlocks, 0u);
    EXPECT_EQ(Scan(Path("index.IX2")).splitBlocks, 0u);
    EXPECT_EQ(Scan(Path("unnamed.IX2")).splitBlocks, 62u);
    EXPECT_EQ(Scan(Path("V8.IMG")).unitId, "QL-1A2B");
    EXPECT_EQ(Scan(Path("V8.IMG")).statedBlocks, 40u);
    EXPECT_EQ(Scan(Path("erased.IMG")).statedBlocks, 0u);
    EXPECT_EQ(Scan(Path("index1.IX2")).irregular.Runs()[0].status & kHeaderRecord, kHeaderRecord);
    EXPECT_EQ(Scan(Path("header.IM2")).irregular.Runs()[0].status & kHeaderRecord, kHeaderRecord);
    EXPECT_FALSE(Scan(Path("P.IX2")).chain);
    const AuthReport chain = Scan(Path("C.IX2"));
    EXPECT_TRUE(chain.chain);
    EXPECT_EQ(chain.splitFirst, 100u);
    EXPECT_EQ(chain.splitLast, 159u);
    EXPECT_TRUE(chain.wholeSplit);
    EXPECT_EQ(chain.statedBlocks, 5001u);
    // The swapped pair shares its status, so six blocks make five runs, placed in time.
    const std::vector<IrregularRun> runs = Scan(Path("faultsC.IX2")).irregular.Runs();
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
    // A wrong block checksum keeps that block out of the running sum: the chain breaks there too.
    const std::vector<IrregularRun> img = Scan(Path("faults.IMG")).irregular.Runs();
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

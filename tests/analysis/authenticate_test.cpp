// The scans behind "&Authenticate", one per format, judged by the same rules wherever they hold.
#include "analysis/authenticate.h"
#include "formats/home_of.h"

#include "analysis_support.h"

#include <filesystem>
#include <tuple>

namespace tvx {
namespace {

using synth::FaultKind;
using synth::ImgFaultKind;

// 16-bit mono at 8000 Hz: 256 samples, exactly 32 ms per block, so positions read plainly.
synth::Im2Options Plain16(std::uint32_t blocks = 20, int bits = 16, int channels = 1) {
    return {.storedBits = bits, .channels = channels, .blocks = blocks};
}

synth::Ix2Options Split(bool chain, std::uint32_t blocks = 60) {
    return {.audio = Plain16(blocks), .chain = chain, .splitFirst = 100, .recordingLast = 5000};
}

auto Counts(const TallyCounts& c) {
    return std::tuple(c.verifiedBlocks, c.irregularBlocks, c.unitIdErrors, c.fileNumberErrors, c.sequenceErrors,
                      c.checksumErrors);
}

// Every record the runs name, in scan order.
std::vector<std::int32_t> IndicesOf(const AuthReport& r) {
    std::vector<std::int32_t> out;
    for (const IrregularRun& run : r.irregular.Runs())
        for (std::int32_t i = run.first; i <= run.last; ++i)
            out.push_back(i);
    return out;
}

class AuthenticateTest : public test::ImageDir {
protected:
    static Result<AuthReport> Run(const std::string& path, std::size_t piece = kScanPieceRecords,
                                  Hooks&& hooks = Hooks()) {
        AuthTally tally;
        return HomeFor(path).Authenticate(path, hooks, tally, piece);
    }
    AuthReport Scan(const std::string& name, std::size_t piece = kScanPieceRecords, Hooks&& hooks = Hooks()) {
        Result<AuthReport> r = Run(name.starts_with('/') ? name : Path(name), piece, std::move(hooks));
        EXPECT_TRUE(r) << name << ": " << DescribeError(r ? Error{} : r.GetError());
        return r ? *r : AuthReport{};
    }
};

// What a scan must find, whatever the size of the pieces it reads: the records named
// irregular, the counts and the four durations.
struct Expected {
    std::vector<std::int32_t> indices;
    TallyCounts counts;
    std::int64_t durationMs, verifiedMs, irregularMs, unauthenticatedMs;
    bool headerOk = true;
    std::uint64_t voiceErrors = 0;
};

TallyCounts Verified(std::int32_t blocks) { return {.verifiedBlocks = blocks}; }

TEST_F(AuthenticateTest, EveryRecordIsJudgedOnceAsTheRulesOfItsFormatSay) {
    // IM2 and both IX2 forms carry the same faults and are judged alike; a chain's inner
    // blocks exactly as plain blocks.
    const std::vector<synth::Fault> faults = {{FaultKind::PayloadByte, 3}, {FaultKind::UnitNumber, 5},
                                              {FaultKind::FileNumber, 9}, {FaultKind::BlockOrder, 12},
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

    const std::pair<std::string, Expected> kCases[] = {
        // Compression 4 at 8 kHz: 1,021, 509, 511, 255, 256 and 128 samples a channel.
        {Im2("4-1.IM2", Plain16(30, 4, 1)), {{}, Verified(30), 3828, 3828, 0, 0}},
        {Im2("4-2.IM2", Plain16(30, 4, 2)), {{}, Verified(30), 1908, 1908, 0, 0}},
        {Im2("8-1.IM2", Plain16(30, 8, 1)), {{}, Verified(30), 1916, 1916, 0, 0}},
        {Im2("8-2.IM2", Plain16(30, 8, 2)), {{}, Verified(30), 956, 956, 0, 0}},
        {Im2("16-1.IM2", Plain16(30, 16, 1)), {{}, Verified(30), 960, 960, 0, 0}},
        {Im2("16-2.IM2", Plain16(30, 16, 2)), {{}, Verified(30), 480, 480, 0, 0}},
        // The split's own length is the duration: 60 blocks of 32 ms.
        {Ix2("P.IX2", Split(false)), {{}, Verified(60), 1920, 1920, 0, 0}},
        {Ix2("C.IX2", Split(true)), {{}, Verified(60), 1920, 1920, 0, 0}},
        // Records count from index zero: 512 or 816 samples at 8 kHz, the erased tail not at all.
        {Img("V8.IMG", {.bits = 8, .records = 40, .erased = 7}), {{}, Verified(40), 2560, 2560, 0, 0}},
        {Img("V5.IMG", {.bits = 5, .records = 40, .erased = 7}), {{}, Verified(40), 4080, 4080, 0, 0}},
        {Im2("faults.IM2", Plain16(), faults), {faulty, im2Counted, 640, 448, 192, 0}},
        {Ix2("faultsP.IX2", Split(false), faults), {faulty, counted, 1920, 1728, 192, 0}},
        {Ix2("faultsC.IX2", Split(true), faults), {faulty, counted, 1920, 1728, 192, 0}},
        // The voice-image checksum is followed as the conversion follows it, listed apart from
        // the window's counts.
        {Img("faults.IMG", {.records = 40},
             {{ImgFaultKind::RecordIndex, 7}, {ImgFaultKind::UnitId, 20}, {ImgFaultKind::FileNumber, 21},
              {ImgFaultKind::BlockChecksum, 33}, {ImgFaultKind::VoiceChecksum, 35}}),
         {{6, 19, 20, 32, 34},
          {.unitIdErrors = 1, .fileNumberErrors = 1, .sequenceErrors = 1, .checksumErrors = 1,
           .verifiedBlocks = 36, .irregularBlocks = 4},
          2560, 2304, 256, 0, true, 2}},
        // A bad header or index block counts its cause, but no time.
        {Im2("header.IM2", Plain16(), {{FaultKind::BadHeader, 0}}),
         {{-1}, {.checksumErrors = 1, .verifiedBlocks = 20}, 640, 640, 0, 0, false}},
        {Ix2("index1.IX2", brokenIndex), {{-2}, {.checksumErrors = 1, .verifiedBlocks = 60}, 1920, 1920, 0, 0, false}},
        // What the file does not hold is never judged, and stays Unauthenticated.
        {Im2("short-cut.IM2", Plain16(), {{FaultKind::TruncateLast, 100}}), {{}, Verified(19), 640, 608, 0, 32}},
        {Im2("short-over.IM2", overstated), {{}, Verified(15), 480, 480, 0, 0}},   // records past the count
        {Path("short-head.IM2"), {{}, Verified(0), 640, 0, 0, 640}},
        {Ix2("index.IX2", indexOnly), {{}, Verified(0), 0, 0, 0, 0}},   // judged once it is all there
        {Ix2("unnamed.IX2", unnamed), {{}, Verified(60), 1984, 1920, 0, 64}},
        // IMG images have no stated length: a cut record is simply not one of them.
        {Img("cut.IMG", {.records = 10}, {{ImgFaultKind::CutLast, 200}}), {{}, Verified(9), 576, 576, 0, 0}},
        {Img("erased.IMG", {.records = 0, .erased = 5}), {{}, Verified(0), 0, 0, 0, 0}},
    };
    for (const auto& [path, want] : kCases) {
        for (const std::size_t piece : {std::size_t{1}, kScanPieceRecords, std::size_t{4096}}) {
            SCOPED_TRACE(path + " in pieces of " + std::to_string(piece));
            const AuthReport r = Scan(path, piece);
            const AuthDurations& d = r.durations;
            EXPECT_EQ(std::tuple(IndicesOf(r), Counts(r.counts), r.voiceChecksumErrors, r.headerOk),
                      std::tuple(want.indices, Counts(want.counts), want.voiceErrors, want.headerOk));
            EXPECT_EQ(std::tuple(d.durationMs, d.verifiedMs, d.irregularMs, d.unauthenticatedMs),
                      std::tuple(want.durationMs, want.verifiedMs, want.irregularMs, want.unauthenticatedMs));
            // A split is never the whole recording; an IMG image has no length to fall short of.
            const bool img = path.ends_with(".IMG");
            EXPECT_EQ(std::tuple(r.format, r.structureJudged, r.complete),
                      std::tuple(path.substr(path.size() - 3), !img,
                                 img || (path.ends_with(".IM2") && path.find("short-") == std::string::npos)));
        }
    }
    EXPECT_EQ(std::tuple(Scan("short-cut.IM2").fileBlocks, Scan("short-over.IM2").fileBlocks,
                         Scan("short-head.IM2").fileBlocks), std::tuple(19u, 20u, 0u));
    EXPECT_EQ(std::tuple(Scan("index.IX2").splitBlocks, Scan("unnamed.IX2").splitBlocks), std::tuple(0u, 62u));
    const AuthReport v8 = Scan("V8.IMG");
    EXPECT_EQ(std::tuple(v8.unitId, v8.statedBlocks, Scan("erased.IMG").statedBlocks), std::tuple("QL-1A2B", 40u, 0u));
    for (const char* name : {"index1.IX2", "header.IM2"})
        EXPECT_EQ(Scan(name).irregular.Runs()[0].status & kHeaderRecord, kHeaderRecord) << name;
    EXPECT_FALSE(Scan("P.IX2").chain);
    const AuthReport chain = Scan("C.IX2");
    EXPECT_EQ(std::tuple(chain.chain, chain.splitFirst, chain.splitLast, chain.wholeSplit, chain.statedBlocks),
              std::tuple(true, 100u, 159u, true, 5001u));
    // The swapped pair shares its status, so six blocks make five runs, placed in time.
    const std::vector<IrregularRun> runs = Scan("faultsC.IX2").irregular.Runs();
    ASSERT_EQ(runs.size(), 5u);
    const BlockStatus statuses[] = {kChecksumError, kUnitIdError, kFileNumberError, kBlockOrderError,
                                    kTimestampError};
    for (std::size_t k = 0; k < 5; ++k)
        EXPECT_EQ(runs[k].status, kIrregular | statuses[k]) << k;
    EXPECT_EQ(std::tuple(runs[0].startMs, runs[0].endMs, runs[3].last, runs[3].endMs, runs[4].startMs),
              std::tuple(96, 128, 13, 14 * 32, 512));
    // A wrong block checksum keeps that block out of the running sum: the chain breaks there too.
    const std::vector<IrregularRun> img = Scan("faults.IMG").irregular.Runs();
    ASSERT_EQ(img.size(), 5u);
    EXPECT_EQ(std::tuple(img[3].status, img[4].status),
              std::tuple(kIrregular | kChecksumError | kVoiceImageError, kIrregular | kVoiceImageError));
}

// Every block wrong in the same way: a few runs, however long the image.
TEST_F(AuthenticateTest, AWhollyDamagedImageIsAFewRuns) {
    std::vector<std::uint8_t> bytes = synth::MakeIm2(Plain16(3000));
    std::fill(bytes.begin() + kRecordSize, bytes.end(), std::uint8_t{0});
    ASSERT_TRUE(synth::WriteBytes(Path("F.IM2"), bytes));
    const AuthReport r = Scan("F.IM2");
    EXPECT_EQ(std::tuple(r.counts.irregularBlocks, r.irregular.Records()), std::tuple(3000, 3000u));
    // Block 0 carries the index it should; every later one is out of order as well.
    ASSERT_EQ(r.irregular.Runs().size(), 2u);
    const IrregularRun& rest = r.irregular.Runs()[1];
    EXPECT_EQ(std::tuple(rest.first, rest.last, rest.endMs), std::tuple(1, 2999, 3000 * 32));
    EXPECT_EQ(rest.status, kIrregular | kUnitIdError | kFileNumberError | kBlockOrderError | kTimestampError);
}

TEST_F(AuthenticateTest, CancelKeepsTheCountsReached) {
    // Two pieces of 16 records; the third is dropped. A chain's two pieces of outer blocks
    // hold 31 inner blocks whole, and the judging of the stream stops there too.
    const std::pair<std::string, std::int32_t> cases[] = {
        {Im2("F.IM2", Plain16(100)), 32}, {Ix2("F.IX2", Split(false, 100)), 32},
        {Ix2("C.IX2", Split(true, 100)), 31}, {Img("V.IMG", {.records = 100}), 32}};
    for (const auto& [path, judged] : cases) {
        SCOPED_TRACE(path);
        const AuthReport r = Scan(path, 16, test::RecordingHooks([](int polls) { return polls > 2; }));
        EXPECT_EQ(std::tuple(r.cancelled, r.counts.verifiedBlocks), std::tuple(true, judged));
        EXPECT_EQ(r.durations.unauthenticatedMs, r.durations.durationMs - r.durations.verifiedMs);
        EXPECT_GT(r.durations.unauthenticatedMs, 0);
    }
}

TEST_F(AuthenticateTest, UnreadableInputGivesAReasonNotAReport) {
    ASSERT_TRUE(synth::WriteBytes(Path("empty.IM2"), {}));
    ASSERT_TRUE(synth::WriteBytes(Path("short.IM2"), std::vector<std::uint8_t>(527, 0)));
    std::filesystem::create_directories(Path("folder.IM2"));
    std::vector<std::tuple<std::string, Cause, const char*>> cases = {
        {Path("none.IM2"), Cause::NotFound, "No such file"}, {Path("none.IX2"), Cause::NotFound, "No such file"},
        {Path("none.IMG"), Cause::NotFound, "No such file"}, {Path("empty.IM2"), Cause::BadFormat, "header"},
        {Path("short.IM2"), Cause::BadFormat, ""},           {Path("folder.IM2"), Cause::Io, "directory"},
        {Img("V.IMG", {.records = 1}, {{ImgFaultKind::CutLast, 100}}), Cause::BadFormat, ""},
    };
    // An IX2 file without all three index blocks is refused.
    for (const std::uint64_t length : {0u, 655u, 1183u, 1711u}) {
        synth::Ix2Options o = Split(false);
        o.cutTo = length;
        cases.emplace_back(Ix2(std::to_string(length) + ".IX2", o), Cause::BadFormat, "too short");
    }
    for (const auto& [path, cause, said] : cases) {
        const Result<AuthReport> r = Run(path);
        ASSERT_FALSE(r) << path;
        EXPECT_EQ(r.GetError().cause, cause) << path;
        EXPECT_NE(DescribeError(r.GetError()).find(said), std::string::npos) << DescribeError(r.GetError());
    }
}

}  // namespace
}  // namespace tvx

#include "formats/ix2/authenticate_ix2.h"

#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tvx {
namespace {

namespace fs = std::filesystem;
using synth::Fault;
using synth::FaultKind;

synth::Ix2Options Split(bool chain, std::uint32_t first = 100, std::uint32_t blocks = 60) {
    synth::Ix2Options o;
    o.audio.storedBits = 16;
    o.audio.blocks = blocks;
    o.splitFirst = first;
    o.recordingLast = 5000;
    o.chain = chain;
    return o;
}

class StopAfterFirstPiece : public Hooks {
public:
    bool IsCancelled() override { return ++m_polls > 1; }

private:
    int m_polls = 0;
};

class AuthenticateIx2Test : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / (std::string("tvx-auth-ix2-") + info->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Write(const synth::Ix2Options& o, std::span<const Fault> faults = {},
                      const std::string& name = "F00012.IX2") {
        const std::string path = (m_dir / name).string();
        fs::create_directories(fs::path(path).parent_path());
        EXPECT_TRUE(synth::WriteIx2File(path, o, faults));
        return path;
    }
    AuthReport Scan(const std::string& path, std::size_t piece = kScanPieceRecords,
                    Hooks* hooks = nullptr) {
        Hooks quiet;
        AuthTally tally;
        Result<AuthReport> r = AuthenticateIx2(path, hooks ? *hooks : quiet, tally, piece);
        EXPECT_TRUE(r) << DescribeError(r ? Error{} : r.GetError());
        return r ? *r : AuthReport{};
    }

    fs::path m_dir;
};

std::vector<std::int32_t> IndicesOf(const AuthReport& r) {
    std::vector<std::int32_t> out;
    for (const IrregularRun& run : r.irregular.Runs())
        for (std::int32_t i = run.first; i <= run.last; ++i)
            out.push_back(i);
    return out;
}

TEST_F(AuthenticateIx2Test, UntouchedSplitsAreVerifiedThroughoutPlainAndChained) {
    for (const bool chain : {false, true}) {
        SCOPED_TRACE(chain ? "chain" : "plain");
        const AuthReport r = Scan(Write(Split(chain)));
        EXPECT_EQ(r.format, "IX2");
        EXPECT_EQ(r.chain, chain);
        EXPECT_TRUE(r.headerOk);
        EXPECT_EQ(r.counts.verifiedBlocks, 60);
        EXPECT_EQ(r.counts.irregularBlocks, 0);
        EXPECT_TRUE(r.irregular.Empty());
        EXPECT_EQ(r.splitFirst, 100u);
        EXPECT_EQ(r.splitLast, 159u);
        EXPECT_TRUE(r.wholeSplit);
        EXPECT_FALSE(r.complete);
        EXPECT_EQ(r.statedBlocks, 5001u);
        // The split's own length is the duration: 60 blocks of 32 ms.
        EXPECT_EQ(r.durations.durationMs, 1920);
        EXPECT_EQ(r.durations.verifiedMs, 1920);
        EXPECT_EQ(r.durations.unauthenticatedMs, 0);
    }
}

TEST_F(AuthenticateIx2Test, ChainInnerBlocksAreJudgedExactlyAsPlainBlocks) {
    const std::vector<Fault> faults = {{FaultKind::PayloadByte, 3},  {FaultKind::BlockOrder, 30},
                                       {FaultKind::UnitNumber, 31},  {FaultKind::FileNumber, 32},
                                       {FaultKind::Timestamp, 59}};
    const AuthReport plain = Scan(Write(Split(false), faults, "plain/F00012.IX2"));
    const AuthReport chain = Scan(Write(Split(true), faults, "chain/F00012.IX2"));
    EXPECT_EQ(IndicesOf(plain), (std::vector<std::int32_t>{3, 30, 31, 32, 59}));
    EXPECT_EQ(IndicesOf(chain), IndicesOf(plain));
    for (const AuthReport* r : {&plain, &chain}) {
        EXPECT_EQ(r->counts.checksumErrors, 1);
        EXPECT_EQ(r->counts.sequenceErrors, 3);   // both swapped blocks and the timestamp
        EXPECT_EQ(r->counts.unitIdErrors, 1);
        EXPECT_EQ(r->counts.fileNumberErrors, 1);
        EXPECT_EQ(r->counts.irregularBlocks, 5);
        EXPECT_EQ(r->counts.verifiedBlocks, 55);
        EXPECT_EQ(r->irregular.Runs()[1].startMs, 30 * 32);
    }
}

TEST_F(AuthenticateIx2Test, PieceSizeChangesNothing) {
    const std::vector<Fault> faults = {{FaultKind::PayloadByte, 17}, {FaultKind::BlockOrder, 40}};
    const std::string path = Write(Split(true, 0, 90), faults);
    const AuthReport one = Scan(path, 1);
    for (const std::size_t piece : {std::size_t{16}, std::size_t{2048}}) {
        const AuthReport other = Scan(path, piece);
        EXPECT_EQ(IndicesOf(other), IndicesOf(one)) << piece;
        EXPECT_EQ(other.counts.verifiedBlocks, one.counts.verifiedBlocks) << piece;
    }
    EXPECT_EQ(one.counts.verifiedBlocks, 87);
}

TEST_F(AuthenticateIx2Test, IrregularIndexBlockCountsItsCauseButNoDuration) {
    synth::Ix2Options o = Split(false);
    o.brokenIndexBlock = 1;
    const AuthReport r = Scan(Write(o));
    EXPECT_FALSE(r.headerOk);
    EXPECT_EQ(IndicesOf(r), std::vector<std::int32_t>{-2});
    EXPECT_EQ(r.counts.checksumErrors, 1);
    EXPECT_EQ(r.counts.irregularBlocks, 0);
    EXPECT_EQ(r.counts.verifiedBlocks, 60);
}

TEST_F(AuthenticateIx2Test, FilesWithoutTheirIndexAreRefusedShortOnesReported) {
    for (const std::uint64_t length : {0u, 655u, 1183u, 1711u}) {
        synth::Ix2Options o = Split(false);
        o.cutTo = length;
        Hooks hooks;
        AuthTally tally;
        const Result<AuthReport> r = AuthenticateIx2(Write(o), hooks, tally);
        SCOPED_TRACE(length);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.GetError().cause, Cause::BadFormat);
        EXPECT_NE(DescribeError(r.GetError()).find("too short"), std::string::npos);
    }
    synth::Ix2Options o = Split(false);
    o.cutTo = 2239;
    const AuthReport r = Scan(Write(o));
    EXPECT_TRUE(r.headerOk);   // the index is judged once it is all there
    EXPECT_EQ(r.counts.verifiedBlocks, 0);
    EXPECT_EQ(r.splitBlocks, 0u);
}

TEST_F(AuthenticateIx2Test, ChainWithoutItsEntryKeepsTheSplitOfThePlainParse) {
    synth::Ix2Options o = Split(true);
    o.matchingEntry = false;
    const AuthReport r = Scan(Write(o));
    // Index block 0 numbers the 62 outer blocks; the 60 inner blocks present are all judged.
    EXPECT_EQ(r.splitBlocks, 62u);
    EXPECT_EQ(r.counts.verifiedBlocks, 60);
    EXPECT_EQ(r.counts.irregularBlocks, 0);
    EXPECT_EQ(r.durations.durationMs, 62 * 32);
}

TEST_F(AuthenticateIx2Test, CancelStopsAtTheNextPiece) {
    StopAfterFirstPiece hooks;
    const AuthReport r = Scan(Write(Split(false, 0, 100)), 16, &hooks);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.counts.verifiedBlocks, 16);
}

TEST_F(AuthenticateIx2Test, MissingFileIsAnError) {
    Hooks hooks;
    AuthTally tally;
    const Result<AuthReport> r = AuthenticateIx2((m_dir / "none.IX2").string(), hooks, tally);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.GetError().cause, Cause::NotFound);
}

}  // namespace
}  // namespace tvx

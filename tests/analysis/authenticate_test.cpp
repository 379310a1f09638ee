#include "formats/im2/authenticate_im2.h"

#include "synth/synth.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tvx {
namespace {

namespace fs = std::filesystem;
using synth::Fault;
using synth::FaultKind;

// 16-bit mono at 8000 Hz: 256 samples, exactly 32 ms per block, so positions read plainly.
synth::Im2Options Plain16(std::uint32_t blocks = 20) {
    synth::Im2Options o;
    o.storedBits = 16;
    o.blocks = blocks;
    return o;
}

class AuthenticateIm2Test : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("tvx-auth-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Write(const std::vector<std::uint8_t>& bytes, const char* name = "rec.IM2") {
        const std::string path = (m_dir / name).string();
        EXPECT_TRUE(synth::WriteBytes(path, bytes));
        return path;
    }

    AuthReport Scan(const std::string& path, std::size_t piece = kScanPieceRecords) {
        Hooks hooks;
        AuthTally tally;
        Result<AuthReport> r = AuthenticateIm2(path, hooks, tally, piece);
        EXPECT_TRUE(r) << DescribeError(r ? Error{} : r.GetError());
        return r ? *r : AuthReport{};
    }

    fs::path m_dir;
};

TEST_F(AuthenticateIm2Test, UntouchedImageOfEveryStorageIsVerifiedThroughout) {
    for (const int bits : {4, 8, 16}) {
        for (const int channels : {1, 2}) {
            synth::Im2Options o = Plain16(30);
            o.storedBits = bits;
            o.channels = channels;
            const AuthReport r = Scan(Write(synth::MakeIm2(o)));
            SCOPED_TRACE(testing::Message() << bits << " bits, " << channels << " channels");
            EXPECT_TRUE(r.headerOk);
            EXPECT_TRUE(r.complete);
            EXPECT_EQ(r.counts.verifiedBlocks, 30);
            EXPECT_EQ(r.counts.irregularBlocks, 0);
            EXPECT_TRUE(r.irregular.Empty());
            EXPECT_EQ(r.durations.verifiedMs, r.durations.durationMs);
            EXPECT_GT(r.durations.durationMs, 0);
            EXPECT_EQ(r.durations.unauthenticatedMs, 0);
        }
    }
}

TEST_F(AuthenticateIm2Test, EachFaultIsCountedOnItsBlockAtItsPosition) {
    const std::vector<Fault> faults = {{FaultKind::PayloadByte, 3},
                                       {FaultKind::UnitNumber, 5},
                                       {FaultKind::FileNumber, 9},
                                       {FaultKind::BlockOrder, 12},
                                       {FaultKind::Timestamp, 16}};
    const AuthReport r = Scan(Write(synth::MakeIm2(Plain16(), faults)));
    EXPECT_EQ(r.counts.checksumErrors, 1);
    EXPECT_EQ(r.counts.unitIdErrors, 1);
    EXPECT_EQ(r.counts.fileNumberErrors, 1);
    EXPECT_EQ(r.counts.sequenceErrors, 3);   // both swapped blocks, and the timestamp
    EXPECT_EQ(r.counts.irregularBlocks, 6);
    EXPECT_EQ(r.counts.verifiedBlocks, 14);
    EXPECT_EQ(r.durations.irregularMs, 6 * 32);
    EXPECT_EQ(r.durations.verifiedMs, 14 * 32);
    EXPECT_EQ(r.durations.unauthenticatedMs, 0);
    // The swapped pair shares its status, so the six blocks make five runs.
    const std::vector<IrregularRun>& runs = r.irregular.Runs();
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(r.irregular.Records(), 6u);
    EXPECT_EQ(runs[0].first, 3);
    EXPECT_EQ(runs[0].status, kIrregular | kChecksumError);
    EXPECT_EQ(runs[0].startMs, 96);
    EXPECT_EQ(runs[0].endMs, 128);
    EXPECT_EQ(runs[1].status, kIrregular | kUnitIdError);
    EXPECT_EQ(runs[2].status, kIrregular | kFileNumberError);
    EXPECT_EQ(runs[3].first, 12);
    EXPECT_EQ(runs[3].last, 13);
    EXPECT_EQ(runs[3].status, kIrregular | kBlockOrderError);
    EXPECT_EQ(runs[3].endMs, 14 * 32);
    EXPECT_EQ(runs[4].first, 16);
    EXPECT_EQ(runs[4].status, kIrregular | kTimestampError);
    EXPECT_EQ(runs[4].startMs, 512);
}

// Every block wrong in the same way: a few runs, however long the image.
TEST_F(AuthenticateIm2Test, AWhollyDamagedImageIsAFewRuns) {
    std::vector<std::uint8_t> bytes = synth::MakeIm2(Plain16(3000));
    std::fill(bytes.begin() + kRecordSize, bytes.end(), std::uint8_t{0});
    const AuthReport r = Scan(Write(bytes));
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

TEST_F(AuthenticateIm2Test, BadHeaderCountsAsAChecksumErrorButAddsNoIrregularTime) {
    const std::vector<Fault> faults = {{FaultKind::BadHeader, 0}};
    const AuthReport r = Scan(Write(synth::MakeIm2(Plain16(), faults)));
    EXPECT_FALSE(r.headerOk);
    EXPECT_EQ(r.counts.checksumErrors, 1);
    EXPECT_EQ(r.counts.irregularBlocks, 0);
    EXPECT_EQ(r.counts.verifiedBlocks, 20);
    ASSERT_EQ(r.irregular.Runs().size(), 1u);
    EXPECT_EQ(r.irregular.Runs()[0].first, -1);
    EXPECT_EQ(r.irregular.Runs()[0].status & kHeaderRecord, kHeaderRecord);
}

TEST_F(AuthenticateIm2Test, CutLastRecordIsNeverJudgedAndStaysUnauthenticated) {
    const std::vector<Fault> faults = {{FaultKind::TruncateLast, 100}};
    const std::string path = Write(synth::MakeIm2(Plain16(), faults));
    for (const std::size_t piece : {std::size_t{1}, kScanPieceRecords, std::size_t{4096}}) {
        const AuthReport r = Scan(path, piece);
        EXPECT_FALSE(r.complete);
        EXPECT_EQ(r.fileBlocks, 19u);
        EXPECT_EQ(r.counts.verifiedBlocks, 19);
        EXPECT_EQ(r.durations.unauthenticatedMs, 32);
    }
}

TEST_F(AuthenticateIm2Test, RecordsBeyondTheStatedCountAreNotCounted) {
    synth::Im2Options o = Plain16(20);
    o.statedBlocks = 15;
    const AuthReport r = Scan(Write(synth::MakeIm2(o)));
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.counts.verifiedBlocks, 15);
    EXPECT_EQ(r.durations.durationMs, 15 * 32);
    EXPECT_EQ(r.durations.unauthenticatedMs, 0);
}

TEST_F(AuthenticateIm2Test, HeaderOnlyImageHasEverythingUnauthenticated) {
    std::vector<std::uint8_t> bytes = synth::MakeIm2(Plain16(20));
    bytes.resize(kRecordSize);
    const AuthReport r = Scan(Write(bytes));
    EXPECT_EQ(r.fileBlocks, 0u);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.counts.verifiedBlocks, 0);
    EXPECT_EQ(r.durations.unauthenticatedMs, 640);
}

class CancelAfter : public Hooks {
public:
    explicit CancelAfter(int polls) : m_left(polls) {}
    bool IsCancelled() override { return m_left-- <= 0; }

private:
    int m_left;
};

TEST_F(AuthenticateIm2Test, CancelKeepsTheCountsReached) {
    const std::string path = Write(synth::MakeIm2(Plain16(100)));
    CancelAfter hooks(2);   // two pieces of 16 examined, the third dropped
    AuthTally tally;
    const Result<AuthReport> r = AuthenticateIm2(path, hooks, tally, 16);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->cancelled);
    EXPECT_EQ(r->counts.verifiedBlocks, 32);
    EXPECT_EQ(r->durations.unauthenticatedMs, 68 * 32);
}

TEST_F(AuthenticateIm2Test, UnreadableInputGivesAReasonNotAReport) {
    Hooks hooks;
    AuthTally tally;
    const auto failure = [&](const std::string& path) {
        const Result<AuthReport> r = AuthenticateIm2(path, hooks, tally);
        EXPECT_FALSE(r) << path;
        return r ? Error{} : r.GetError();
    };
    EXPECT_EQ(failure((m_dir / "missing.IM2").string()).cause, Cause::NotFound);
    EXPECT_NE(failure(m_dir.string()).osError, 0);   // a directory
    const Error empty = failure(Write({}, "empty.IM2"));
    EXPECT_EQ(empty.cause, Cause::BadFormat);
    EXPECT_NE(DescribeError(empty).find("header"), std::string::npos);
    EXPECT_EQ(failure(Write(std::vector<std::uint8_t>(527, 0), "short.IM2")).cause,
              Cause::BadFormat);
}

TEST_F(AuthenticateIm2Test, TheImageIsLeftExactlyAsItWas) {
    const std::vector<std::uint8_t> bytes = synth::MakeIm2(Plain16(40));
    const std::string path = Write(bytes);
    const auto before = fs::last_write_time(path);
    Scan(path);
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> after((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(after, bytes);
    EXPECT_EQ(fs::last_write_time(path), before);
}

}  // namespace
}  // namespace tvx

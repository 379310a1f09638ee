// The two checksums: every byte of a record is covered, and Decode judges exactly as CheckBlock.

#include "core_test_support.h"

#include "core/block_status.h"
#include "core/im2.h"

#include <gtest/gtest.h>

#include <string>

namespace tvx {
namespace {

constexpr BlockStatus kBadSum = 0x80000008u;

class Checksum : public testing::Test {
protected:
    void SetUp() override {
        m_options.storedBits = 8;
        m_options.modelCode = 6;
        test::LoadState(m_im2, m_options);
        m_good = synth::DataRecord(m_options, 0);
    }

    // Decode's verdict on a record, which must match CheckBlock's on the same bytes.
    BlockStatus DecodeStatus(const Record& r) {
        m_im2.m_block = r;
        std::uint16_t count = 0;
        return m_im2.Decode(m_out, &count);
    }

    synth::Im2Options m_options;
    CIm2 m_im2;
    Record m_good{};
    std::array<std::uint8_t, kMaxDecodedBytes> m_out{};
};

TEST_F(Checksum, EveryPayloadByteIsCovered) {
    ASSERT_EQ(ChecksumStatus(m_good), 0u);
    ASSERT_EQ(DecodeStatus(m_good), 0u);
    for (std::size_t at = 0; at < kPayloadSize; ++at) {
        for (const std::uint8_t mask : {std::uint8_t{0x01}, std::uint8_t{0x80}, std::uint8_t{0xFF}}) {
            SCOPED_TRACE("byte " + std::to_string(at) + " mask " + std::to_string(mask));
            Record bad = m_good;
            bad[at] ^= mask;
            EXPECT_EQ(ChecksumStatus(bad), kBadSum);
            m_im2.m_block = bad;
            EXPECT_EQ(m_im2.CheckBlock(), kBadSum);
            EXPECT_EQ(DecodeStatus(bad), kBadSum);
        }
    }
}

TEST_F(Checksum, EveryTrailerByteIsCovered) {
    // A changed key byte may cancel out of the block sum, never out of the trailer sum; the
    // reference fields it carries add their own bits, the same in CheckBlock and Decode.
    for (std::size_t at = kOffFileNumber; at < kRecordSize; ++at) {
        for (int mask = 1; mask < 256; ++mask) {
            SCOPED_TRACE("byte " + std::to_string(at) + " mask " + std::to_string(mask));
            Record bad = m_good;
            bad[at] ^= static_cast<std::uint8_t>(mask);
            ASSERT_EQ(ChecksumStatus(bad), kBadSum);
            m_im2.m_block = bad;
            const BlockStatus checked = m_im2.CheckBlock();
            ASSERT_EQ(checked & kBadSum, kBadSum);
            ASSERT_EQ(DecodeStatus(bad), checked);
        }
    }
}

TEST_F(Checksum, TrailerSumAloneFailsBothSteps) {
    Record bad = m_good;
    ++bad[kOffTrailerSum];
    EXPECT_EQ(ChecksumStatus(bad), kBadSum);
    m_im2.m_block = bad;
    EXPECT_EQ(m_im2.CheckBlock(), kBadSum);
    // Moving the block sum along satisfies it again; the trailer sum alone still fails.
    ++bad[kOffBlockSum];
    EXPECT_EQ(ChecksumStatus(bad), kBadSum);
}

TEST_F(Checksum, AllZeroRecordPassesBothSumsButNotItsTimestamp) {
    const Record zero{};
    EXPECT_EQ(ChecksumStatus(zero), 0u);
    // Against this image's references every field differs too, except the block index of 0.
    m_im2.m_block = zero;
    EXPECT_EQ(m_im2.CheckBlock(), 0x80000013u);
    EXPECT_EQ(DecodeStatus(zero), 0x80000013u);
    // With matching unit and file numbers only the timestamp is left.
    m_im2.m_nUnitNumber = 0;
    m_im2.m_wFileNumber = 0;
    m_im2.m_dwTimestamp = 0;
    EXPECT_EQ(m_im2.CheckBlock(), 0x80000010u);
}

TEST_F(Checksum, OneChangedByteGarblesEveryLaterPlainByte) {
    // At stored width 16 the decoded bytes are the plain bytes, so the cipher shows directly.
    synth::Im2Options o;
    CIm2 im2;
    test::LoadState(im2, o);
    im2.m_block = synth::DataRecord(o, 3);
    im2.m_nBlock = 3;
    std::uint16_t count = 0;
    std::array<std::uint8_t, kMaxDecodedBytes> clean{};
    ASSERT_EQ(im2.Decode(clean, &count), 0u);
    ASSERT_EQ(count, 512);
    for (std::size_t at : {0u, 100u, 511u}) {
        SCOPED_TRACE(at);
        im2.m_block = synth::DataRecord(o, 3);
        im2.m_block[at] ^= 0x10;
        std::array<std::uint8_t, kMaxDecodedBytes> garbled{};
        EXPECT_EQ(im2.Decode(garbled, &count), kBadSum);
        for (std::size_t i = 0; i < kPayloadSize; ++i) {
            if (i < at)
                ASSERT_EQ(garbled[i], clean[i]) << "byte " << i;
            else
                ASSERT_NE(garbled[i], clean[i]) << "byte " << i;
        }
    }
}

}  // namespace
}  // namespace tvx

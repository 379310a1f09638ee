// Untouched images authenticate, carry the fields they were asked for, and come out the same
// every time, in memory and on disk.

#include "synth/image_reading.h"
#include "synth/synth.h"

#include "core/block_status.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace tvx::synth {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TempDir {
public:
    TempDir() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_path = fs::temp_directory_path() /
                 (std::string("tvx_synth_") + info->name() + "_" + std::to_string(::getpid()));
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempDir() { fs::remove_all(m_path); }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

TEST(SynthImage, EveryVariantAuthenticatesCleanly) {
    const auto variants = EveryVariant(9);
    ASSERT_EQ(variants.size(), 16u);
    for (const NamedOptions& v : variants) {
        SCOPED_TRACE(v.name);
        const auto image = MakeIm2(v.options);
        ASSERT_EQ(image.size(), 10u * kRecordSize);
        const ImageVerdict verdict = JudgeImage(image);
        EXPECT_FALSE(verdict.headerBad);
        EXPECT_EQ(verdict.header, kHeaderRecord);
        EXPECT_EQ(verdict.blocks, std::vector<BlockStatus>(9, 0));
        EXPECT_EQ(verdict.fileBlocks, 9u);
        EXPECT_TRUE(verdict.complete);
        std::vector<std::uint8_t> decoded;
        std::vector<BlockStatus> statuses;
        DecodeImage(image, decoded, &statuses);
        EXPECT_EQ(statuses, std::vector<BlockStatus>(9, 0));
    }
}

TEST(SynthImage, TrailersCarryTheReferenceFields) {
    Im2Options o;
    o.storedBits = 4;
    o.channels = 2;
    o.rateCode = 3;
    o.modelCode = 103;
    o.unitNumber = 0xBEEF;
    o.fileNumber = 0x1234;
    o.timestamp = PackTimestamp({2011, 7, 30, 23, 59, 58});
    o.blocks = 5;
    o.statedBlocks = 40;
    const Record header = HeaderRecord(o);
    EXPECT_EQ(UnitNumberOf(header), 0xBEEF);
    EXPECT_EQ(FileNumberOf(header), 0x1234);
    EXPECT_EQ(TimestampOf(header), o.timestamp);
    EXPECT_EQ(BlockIndexOf(header), 39u);   // the last data block the header announces
    EXPECT_EQ(FormatByteOf(header), 0x23);  // rate code 3, width code 0, stereo
    EXPECT_EQ(ModelCodeOf(header), 103);
    for (std::uint32_t i = 0; i < 5; ++i) {
        const Record data = DataRecord(o, i);
        EXPECT_EQ(BlockIndexOf(data), i);
        EXPECT_EQ(FormatByteOf(data), 0x23);
        EXPECT_EQ(ChecksumStatus(data), 0u);
    }

    CIm2 im2;
    const auto image = MakeIm2(o);
    LoadHeader(im2, image);
    EXPECT_EQ(im2.m_nSampleRate, 22050);
    EXPECT_EQ(im2.m_nStoredBits, 4);
    EXPECT_EQ(im2.m_nOutputBits, 16);
    EXPECT_EQ(im2.m_nChannels, 2);
    EXPECT_EQ(im2.m_nStatedBlocks, 40u);
    EXPECT_EQ(im2.GetUnitId(), "QR-48879");
    EXPECT_FALSE(im2.IsComplete());   // 40 stated, 5 present
}

TEST(SynthImage, FormatByteAndModelCodes) {
    Im2Options o;
    o.storedBits = 8;
    o.rateCode = 1;
    EXPECT_EQ(FormatByteFor(o), 0x05);
    o.storedBits = 16;
    o.rateCode = 0;
    o.channels = 2;
    EXPECT_EQ(FormatByteFor(o), 0x28);
    o.storedBits = 4;
    o.rateCode = 2;
    o.channels = 1;
    EXPECT_EQ(FormatByteFor(o), 0x02);

    EXPECT_EQ(ModelCodeForCompression(4), 4);
    EXPECT_EQ(ModelCodeForCompression(6), 6);
    EXPECT_EQ(ModelCodeForCompression(31), 31);
    EXPECT_EQ(ModelCodeForCompression(5), 37);
    EXPECT_EQ(ModelCodeForCompression(3), std::nullopt);
}

TEST(SynthImage, PlainEightBitForcesEightKilohertzMono) {
    Im2Options o;
    o.storedBits = 16;
    o.channels = 2;
    o.rateCode = 3;
    o.modelCode = 63;
    const Layout l = LayoutOf(o);
    EXPECT_EQ(l.storedBits, 8);
    EXPECT_EQ(l.channels, 1);
    EXPECT_EQ(l.sampleRate, 8000);
    EXPECT_EQ(l.variant, codec::Variant::Pcm8);
    EXPECT_EQ(l.samplesPerChannel, 512u);
    EXPECT_EQ(Signal(o, 0, 10).size(), 10u);
    EXPECT_EQ(JudgeImage(MakeIm2(o)).blocks, std::vector<BlockStatus>(20, 0));
}

TEST(SynthImage, SealRecordEnciphersWithTheRunningKey) {
    // Key bytes all zero but the format byte 0x08: the key starts at 8 and doubles on every
    // zero plain byte until it wraps to 0, after which the cipher bytes stay 0.
    const std::array<std::uint8_t, kPayloadSize> plain{};
    const Record r = SealRecord(plain, {.fileNumber = 0, .unitNumber = 0, .timestamp = 0,
                                        .blockIndex = 0, .formatByte = 0x08, .modelCode = 0});
    const std::uint8_t head[] = {0x08, 0x10, 0x20, 0x40, 0x80, 0x00, 0x00};
    EXPECT_TRUE(std::equal(std::begin(head), std::end(head), r.begin()));
    EXPECT_TRUE(std::all_of(r.begin() + 7, r.begin() + 512, [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(r[kOffTrailerSum], 0x08);
    EXPECT_EQ(r[kOffBlockSum], 0x10);   // 8 + (8+16+32+64+128) + 8 + 8, modulo 256

    Record changed = r;
    changed[kOffFileNumber] = 1;
    EXPECT_NE(ChecksumStatus(changed), 0u);
    ResealSums(changed);
    EXPECT_EQ(ChecksumStatus(changed), 0u);
}

TEST(SynthImage, SameOptionsGiveTheSameBytes) {
    Im2Options o;
    o.storedBits = 4;
    o.modelCode = 6;
    o.blocks = 30;
    o.seed = 9;
    const auto first = MakeIm2(o);
    EXPECT_EQ(MakeIm2(o), first);
    for (std::uint32_t i : {0u, 17u, 29u}) {
        const Record r = DataRecord(o, i);
        EXPECT_TRUE(std::equal(r.begin(), r.end(), first.begin() + (i + 1) * kRecordSize));
    }
    o.seed = 10;
    const auto other = MakeIm2(o);
    ASSERT_EQ(other.size(), first.size());
    EXPECT_NE(other, first);
}

TEST(SynthImage, FileIsTheImageAndNoTemporaryStays) {
    TempDir dir;
    Im2Options o;
    o.channels = 2;
    o.blocks = 2500;   // more than one write batch
    const std::vector<Fault> faults = {{FaultKind::BlockOrder, 1200},
                                       {FaultKind::TruncateLast, 77}};
    const fs::path path = dir.Path() / "image.IM2";
    ASSERT_TRUE(WriteIm2File(path, o, faults));
    EXPECT_EQ(ReadFile(path), MakeIm2(o, faults));
    EXPECT_EQ(fs::file_size(path), ImageSize(o, faults));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

    // Written over: the old content goes as a whole.
    o.blocks = 3;
    ASSERT_TRUE(WriteIm2File(path, o));
    EXPECT_EQ(ReadFile(path), MakeIm2(o));

    const std::vector<std::uint8_t> bytes = {1, 2, 3};
    ASSERT_TRUE(WriteBytes(dir.Path() / "bytes", bytes));
    EXPECT_EQ(ReadFile(dir.Path() / "bytes"), bytes);
}

TEST(SynthImage, WriteIntoAMissingFolderFailsAndLeavesNothing) {
    TempDir dir;
    EXPECT_FALSE(WriteIm2File(dir.Path() / "missing" / "image.IM2", Im2Options{}));
    EXPECT_FALSE(WriteBytes(dir.Path() / "missing" / "bytes", std::vector<std::uint8_t>{1}));
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}

}  // namespace
}  // namespace tvx::synth

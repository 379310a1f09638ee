#include "formats/img/convert_img.h"

#include "core/format.h"
#include "export/details.h"
#include "export_support.h"
#include "formats/img/img.h"
#include "synth/img_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tvx {
namespace {

using synth::ImgFault;
using synth::ImgFaultKind;
using test::ReadBytes;
using test::ReadText;

const std::string kRule(61, '-');

class ConvertImgTest : public ::testing::Test {
protected:
    void MakeImage(const synth::ImgOptions& options, const std::vector<ImgFault>& faults = {}) {
        m_image = synth::MakeImg(options, faults);
        ASSERT_TRUE(synth::WriteBytes(Source(), m_image));
    }
    std::string Source() const { return m_dir / "V00007.IMG"; }
    std::string Out(const std::string& file = "") const { return m_dir / ("out/" + file); }

    ConvertResult Convert(std::uint16_t megabytes = 0, std::uint16_t minutes = 0) {
        ::mkdir(Out().c_str(), 0755);
        m_hooks.answer = true;
        const ConvertResult result = ConvertImg({Source(), m_dir / "out", megabytes, minutes}, m_hooks);
        EXPECT_EQ(ReadBytes(Source()), m_image) << "the source image changed";
        return result;
    }

    test::TempDir m_dir;
    std::vector<std::uint8_t> m_image;
    test::RecordingHooks m_hooks;
};

TEST_F(ConvertImgTest, EightBitRecordsAfterTheHeaderAreCopiedWithTheirSummary) {
    MakeImage({.bits = 8, .records = 20, .erased = 5});
    const ConvertResult result = Convert();
    EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(result.blocks, 19u);   // record 1 is the header; the erased tail is not audio
    const std::vector<std::uint8_t> wav = ReadBytes(Out("V00007.00.wav"));
    ASSERT_EQ(wav.size(), 44u + 19 * 512);
    EXPECT_EQ(test::Le16(wav, 22), 1);         // mono
    EXPECT_EQ(test::Le32(wav, 24), 8000u);
    EXPECT_EQ(test::Le16(wav, 34), 8);         // bits
    for (std::size_t n = 2; n <= 20; ++n)
        EXPECT_TRUE(std::equal(m_image.begin() + (n - 1) * 528, m_image.begin() + (n - 1) * 528 + 512,
                               wav.begin() + 44 + (n - 2) * 512))
            << n;
    EXPECT_EQ(ReadText(Out("V00007.00.txt")),
              kRule + "\r\r\nWAV CONVERSION SUMMARY\r\r\n\r\r\nIMG Encrypted File: YES\r\r\n\r\r\n"
              "Decrypting...\r\r\nCreating File: V00007.00.wav\r\r\n"
              "Decryption Completed.\r\n" + kRule + "\r\r\n\r\r\n"
              "IMG DECRYPTION SUMMARY\r\r\n"
              "Unit ID: 1A2B\r\n"
              "Audio Image Number: 7\r\n"
              "Recording Length:  0:00:01\r\n"
              "WAV Segment Length: 0:00:01\r\n"
              "Sample Rate: 8,000 Hz\r\n"
              "Bits Per Sample: 8\r\n"
              "Channels: 1\r\n"
              "Samples Per Channel: 9728\r\n"
              "Unit ID Errors: 0\r\nFile Number Errors: 0\r\nBlock Order Errors: 0\r\n"
              "Block Checksum Errors: 0\r\nVoice Image Checksum Errors: 0\r\n"
              "Total Irregular Blocks: 0\r\n"
              "(Total Time Irregular: 0.00 s)\r\n"
              "\r\r\n" + kRule + "\r\r\n");
}

TEST_F(ConvertImgTest, FaultsGetErrorLinesAndTheirOwnSlots) {
    MakeImage({.bits = 5, .records = 12},
              {{ImgFaultKind::VoiceChecksum, 4}, {ImgFaultKind::RecordIndex, 6},
               {ImgFaultKind::UnitId, 8}, {ImgFaultKind::BlockChecksum, 9},
               {ImgFaultKind::SampleCount, 11}});
    const ConvertResult result = Convert();
    EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(result.irregularBlocks, 4u);
    const std::string text = ReadText(Out("V00007.00.txt"));
    const std::string e = " ERROR: Unable to decode UNIT:1A2B FILE:00007 INDEX:";
    EXPECT_NE(text.find(e + "4\r\n" + e + "7\r\n" + e + "8\r\n" + e + "9\r\nDecryption Completed."),
              std::string::npos) << text;
    // A broken block sum keeps the block out of the running sum, so its record fails that too.
    EXPECT_NE(text.find("Unit ID Errors: 1\r\nFile Number Errors: 0\r\nBlock Order Errors: 1\r\n"
                        "Block Checksum Errors: 1\r\nVoice Image Checksum Errors: 2\r\n"
                        "Total Irregular Blocks: 4\r\n"),
              std::string::npos) << text;
    // A record that does not decode to the count it states is silence, and says nothing.
    const std::vector<std::uint8_t> data = test::WavData(Out("V00007.00.wav"));
    ASSERT_EQ(data.size(), 11u * 817);
    EXPECT_TRUE(std::all_of(data.begin() + 9 * 817, data.begin() + 10 * 817,
                            [](std::uint8_t b) { return b == 128; }));
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.begin() + 817), synth::ImgSamples({.bits = 5}, 2));
}

TEST_F(ConvertImgTest, MinutesCutFiveBitAudioIntoSegmentsOfTheirLength) {
    MakeImage({.bits = 5, .records = 1300});
    const ConvertResult result = Convert(0, 1);
    EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(result.segments, 3u);
    EXPECT_EQ(test::WavData(Out("V00007.00.wav")).size(), 480000u);
    EXPECT_EQ(test::WavData(Out("V00007.01.wav")).size(), 480000u);
    EXPECT_EQ(test::WavData(Out("V00007.02.wav")).size(), 1299u * 817 - 960000);
    EXPECT_NE(ReadText(Out("V00007.01.txt")).find("WAV Segment Length: 0:01:00\r\n"), std::string::npos);
}

TEST_F(ConvertImgTest, ARateOfAFewHertzCutsOneRecordOverManySegments) {
    // Record 1 names 1 Hz: a minute is 60 bytes, so each 817-byte record fills several
    // segments; found by fuzzing, when the second cut of one block wrote from past its end.
    MakeImage({.bits = 5, .sampleRate = 1, .records = 3});
    const ConvertResult result = Convert(0, 1);
    ASSERT_EQ(result.outcome, ConvertOutcome::Completed);
    ASSERT_EQ(result.segments, 28u);   // 2 x 817 = 27 x 60 + 14
    std::vector<std::uint8_t> joined;
    for (unsigned k = 0; k < 28; ++k) {
        SCOPED_TRACE(k);
        const std::string name = Format("V00007.%02u", k);
        const std::vector<std::uint8_t> wav = ReadBytes(Out(name + ".wav"));
        ASSERT_EQ(wav.size(), 44u + (k < 27 ? 60 : 14));
        EXPECT_EQ(test::Le32(wav, 40), wav.size() - 44);
        joined.insert(joined.end(), wav.begin() + 44, wav.end());
        EXPECT_NE(ReadText(Out(name + ".txt")).find("Decryption Completed.\r\n"), std::string::npos);
    }
    std::vector<std::uint8_t> expected = synth::ImgSamples({.bits = 5, .sampleRate = 1}, 2);
    const std::vector<std::uint8_t> third = synth::ImgSamples({.bits = 5, .sampleRate = 1}, 3);
    expected.insert(expected.end(), third.begin(), third.end());
    EXPECT_EQ(joined, expected);
}

TEST_F(ConvertImgTest, ARateOfZeroGivesNoTimeToCutBy) {
    MakeImage({.bits = 8, .sampleRate = 0, .records = 4});
    const ConvertResult result = Convert(0, 1);
    ASSERT_EQ(result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(result.segments, 1u);
    EXPECT_EQ(test::WavData(Out("V00007.00.wav")).size(), 3u * 512);
}

TEST_F(ConvertImgTest, CancelAndUnreadableSources) {
    MakeImage({.bits = 8, .records = 100});
    m_hooks.cancelWhen = [](int polls) { return polls == 10; };
    EXPECT_EQ(Convert().outcome, ConvertOutcome::Cancelled);
    const std::string text = ReadText(Out("V00007.00.txt"));
    EXPECT_NE(text.find("Decryption Cancelled.\r\n"), std::string::npos);
    EXPECT_EQ(text.find("IMG DECRYPTION SUMMARY"), std::string::npos);

    MakeImage({.bits = 8, .records = 0, .erased = 6});   // nothing ever written
    m_hooks.cancelWhen = nullptr;
    const ConvertResult erased = Convert();
    EXPECT_EQ(erased.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(erased.blocks, 0u);

    const ConvertResult missing = ConvertImg({m_dir / "none.IMG", m_dir / "out", 0, 0}, m_hooks);
    EXPECT_EQ(missing.outcome, ConvertOutcome::NotStarted);
    EXPECT_EQ(missing.error.cause, Cause::NotFound);
}

TEST(ImgDetailsTest, OnlyTheDurationAndTheWindowsUnitText) {
    CImg img;
    img.m_record = synth::ImgRecord({.bits = 5, .unitId = 0xAB, .records = 1}, 1);
    img.ParseReference();
    img.m_nRecordCount = 35295;   // 816-sample records at 8 kHz: 1 h 0 min 0 s and a little
    const DetailsFields f = ImgDetails(img);
    EXPECT_EQ(DetailsCaption(f.formatName), "The details of the loaded IMG file are:");
    EXPECT_EQ(f.unitText, "QL-00AB");
    EXPECT_EQ(f.number, "7");
    EXPECT_EQ(f.bits, "5");
    EXPECT_EQ(f.channels, "1");
    EXPECT_EQ(f.details, "Duration:\t1:00:00\r\n");
}

}  // namespace
}  // namespace tvx

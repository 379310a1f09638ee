#include "formats/ix2/convert_ix2.h"

#include "export_support.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tvx {
namespace {

using synth::Fault;
using synth::FaultKind;
using test::ReadBytes;
using test::ReadText;

const std::string kRule(61, '-');

synth::Ix2Options Split(bool chain, std::uint32_t blocks = 60) {
    synth::Ix2Options o;
    o.audio.storedBits = 16;
    o.audio.blocks = blocks;
    o.splitFirst = 100;
    o.recordingLast = 5000;
    o.chain = chain;
    return o;
}

class ConvertIx2Test : public ::testing::Test {
protected:
    void MakeImage(const synth::Ix2Options& options, const std::vector<Fault>& faults = {}) {
        m_options = options;
        m_image = synth::MakeIx2(options, faults);
        ASSERT_TRUE(synth::WriteBytes(Source(), m_image));
    }
    std::string Source() const { return m_dir / "F00012.IX2"; }
    std::string Out(const std::string& file = "") const { return m_dir / ("out/" + file); }

    ConvertResult Convert(std::uint16_t megabytes = 0, std::uint16_t minutes = 0) {
        ::mkdir(Out().c_str(), 0755);
        m_hooks.answer = true;
        const ConvertResult result =
            ConvertIx2({Source(), m_dir / "out", megabytes, minutes}, m_hooks);
        EXPECT_EQ(ReadBytes(Source()), m_image) << "the source image changed";
        return result;
    }

    // The decoded audio of the split's blocks, from an IM2 image of the whole recording.
    std::vector<std::uint8_t> SplitAudio(const std::vector<Fault>& faults = {}) const {
        synth::Im2Options whole = m_options.audio;
        whole.blocks = m_options.splitFirst + m_options.audio.blocks;
        std::vector<Fault> shifted;
        for (const Fault& f : faults)
            shifted.push_back({f.kind, f.block + m_options.splitFirst});
        const std::vector<std::uint8_t> all = test::DecodeAll(synth::MakeIm2(whole, shifted));
        return {all.begin() + m_options.splitFirst * 512, all.end()};
    }

    test::TempDir m_dir;
    synth::Ix2Options m_options;
    std::vector<std::uint8_t> m_image;
    test::RecordingHooks m_hooks;
};

TEST_F(ConvertIx2Test, PlainSplitConvertsItsBlocksWithTheSplitLines) {
    MakeImage(Split(false));
    const ConvertResult result = Convert();
    EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(result.blocks, 60u);
    EXPECT_EQ(test::WavData(Out("F00012.00.wav")), SplitAudio());
    EXPECT_EQ(ReadText(Out("F00012.00.txt")),
              kRule + "\r\r\nWAV CONVERSION SUMMARY\r\r\n\r\r\nIX2 Encrypted File: YES\r\r\n\r\r\n"
              "Decrypting...\r\r\nCreating File: F00012.00.wav\r\r\n"
              "Decryption Completed.\r\n" + kRule + "\r\r\n\r\r\n"
              "IM2 / IX2 DECRYPTION SUMMARY\r\r\n"
              "Unit ID: QM-04242\r\n"
              "Audio Image Number: 12\r\n"
              "Recording Start Time: 2008/03/14 09:26:53\r\n"
              "Recording Length:  0:02:40\r\n"
              "IX2 Split Start Time: 2008/03/14 09:26:56\r\n"
              "IX2 Split Length: 0:00:01\r\n"
              "WAV Segment Start Time: 2008/03/14 09:26:56\r\n"
              "WAV Segment Length: 0:00:01\r\n"
              "Sample Rate: 8,000 Hz\r\n"
              "Bits Per Sample: 16\r\n"
              "Channels: 1\r\n"
              "Samples Per Channel: 15360\r\n"
              "Unit ID Errors: 0\r\nFile Number Errors: 0\r\nBlock Order Errors: 0\r\n"
              "Timestamp Errors: 0\r\nBlock Checksum Errors: 0\r\nTotal Irregular Blocks: 0\r\n"
              "(Total Time Irregular: 0.00 s)\r\n"
              "\r\r\n" + kRule + "\r\r\n"
              "* NOTE: Recording lengths accurate to 3 seconds per Hour.\r\n");
}

TEST_F(ConvertIx2Test, ChainWritesWhatThePlainSplitOfTheSameAudioWrites) {
    const std::vector<Fault> faults = {{FaultKind::PayloadByte, 3}, {FaultKind::BlockOrder, 31},
                                       {FaultKind::UnitNumber, 40}};
    MakeImage(Split(false), faults);
    ASSERT_EQ(Convert().outcome, ConvertOutcome::Completed);
    const std::string plainText = ReadText(Out("F00012.00.txt"));
    const std::vector<std::uint8_t> plainWav = ReadBytes(Out("F00012.00.wav"));

    MakeImage(Split(true), faults);
    const ConvertResult result = Convert();
    EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(result.irregularBlocks, 4u);
    EXPECT_EQ(ReadText(Out("F00012.00.txt")), plainText);
    EXPECT_EQ(ReadBytes(Out("F00012.00.wav")), plainWav);
    EXPECT_EQ(test::WavData(Out("F00012.00.wav")), SplitAudio(faults));
    // The block numbers printed are the recording's, as the blocks carry them.
    EXPECT_NE(plainText.find(" ERROR: Unable to decode UNIT:QM-04242 FILE:00012 INDEX:103\r\n"),
              std::string::npos);
    EXPECT_NE(plainText.find(" ERROR: Unable to decode UNIT:QM-04242 FILE:00012 INDEX:132\r\n"
                             " ERROR: Unable to decode UNIT:QM-04242 FILE:00012 INDEX:131\r\n"),
              std::string::npos);
}

TEST_F(ConvertIx2Test, IrregularIndexBlocksOpenTheFirstSegmentOnly) {
    synth::Ix2Options o = Split(false, 2100);
    o.brokenIndexBlock = 2;
    MakeImage(o);
    const ConvertResult result = Convert(1);
    EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(result.segments, 2u);
    const std::vector<std::string> first = test::LinesOf(ReadText(Out("F00012.00.txt")));
    EXPECT_EQ(first[7], " ERROR: Unable to decode HEADER:2\r");
    EXPECT_NE(ReadText(Out("F00012.00.txt")).find("Block Checksum Errors: 1\r\nTotal Irregular Blocks: 1\r\n"),
              std::string::npos);
    const std::string second = ReadText(Out("F00012.01.txt"));
    EXPECT_EQ(second.find("HEADER"), std::string::npos);
    // 1 MiB of 16 kB/s audio is 65.536 s; the second segment starts 65 whole seconds later.
    EXPECT_NE(second.find("WAV Segment Start Time: 2008/03/14 09:28:01\r\n"), std::string::npos);
    EXPECT_EQ(test::WavData(Out("F00012.00.wav")).size(), 1048576u);
    EXPECT_EQ(test::WavData(Out("F00012.01.wav")).size(), 2100u * 512 - 1048576u);
}

TEST_F(ConvertIx2Test, ChainCutInItsLastOuterBlockStillEndsTheSplit) {
    synth::Ix2Options o = Split(true);   // 60 inner blocks in 62 outer blocks
    o.cutTo = 128 + 528 * 65 - 100;
    MakeImage(o);
    const ConvertResult result = Convert();
    EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
    // The cut outer block is deciphered over stale bytes: the last inner block is garbage,
    // reported, and every block before it is right.
    EXPECT_EQ(result.blocks, 60u);
    EXPECT_EQ(result.irregularBlocks, 1u);
    const std::vector<std::uint8_t> wav = test::WavData(Out("F00012.00.wav"));
    const std::vector<std::uint8_t> clean = SplitAudio();
    ASSERT_EQ(wav.size(), clean.size());
    EXPECT_TRUE(std::equal(clean.begin(), clean.end() - 512, wav.begin()));
}

TEST_F(ConvertIx2Test, NothingToConvertStillEndsCleanly) {
    synth::Ix2Options shortRegion = Split(false);
    shortRegion.cutTo = 1000;
    MakeImage(shortRegion);
    const ConvertResult result = Convert();
    EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(result.blocks, 0u);
    EXPECT_EQ(ReadBytes(Out("F00012.00.wav")).size(), 44u);
    EXPECT_NE(ReadText(Out("F00012.00.txt")).find("Decryption Completed."), std::string::npos);
}

TEST_F(ConvertIx2Test, ChainWithoutItsEntryConvertsTheBlocksItHolds) {
    synth::Ix2Options o = Split(true);
    o.matchingEntry = false;   // the split's end is what index block 0 itself says
    MakeImage(o);
    const ConvertResult result = Convert();
    EXPECT_EQ(result.blocks, 60u);
    EXPECT_EQ(result.irregularBlocks, 0u);
    EXPECT_EQ(test::WavData(Out("F00012.00.wav")), SplitAudio());
}

TEST_F(ConvertIx2Test, CancelLeavesTheSegmentWithoutASummary) {
    MakeImage(Split(true, 200));
    m_hooks.cancelWhen = [](int polls) { return polls == 50; };
    const ConvertResult result = Convert();
    EXPECT_EQ(result.outcome, ConvertOutcome::Cancelled);
    const std::string text = ReadText(Out("F00012.00.txt"));
    EXPECT_NE(text.find("Decryption Cancelled.\r\n"), std::string::npos);
    EXPECT_EQ(text.find("SUMMARY\r\r\nUnit"), std::string::npos);
    const std::vector<std::uint8_t> wav = ReadBytes(Out("F00012.00.wav"));
    EXPECT_EQ(test::Le32(wav, 40) + 44, wav.size());
}

TEST_F(ConvertIx2Test, MissingSourceWritesNothing) {
    ::mkdir(Out().c_str(), 0755);
    const ConvertResult result = ConvertIx2({Source(), m_dir / "out", 0, 0}, m_hooks);
    EXPECT_EQ(result.outcome, ConvertOutcome::NotStarted);
    EXPECT_EQ(result.error.cause, Cause::NotFound);
    EXPECT_TRUE(test::FolderEntries(Out()).empty());
}

}  // namespace
}  // namespace tvx

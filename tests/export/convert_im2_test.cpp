#include "formats/im2/convert_im2.h"

#include "export_support.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace tvx {
namespace {

using synth::Fault;
using synth::FaultKind;
using test::Le32;
using test::ReadBytes;
using test::ReadText;

const std::string kRule(61, '-');

std::string Heading(const std::string& wav) {
    return kRule + "\r\r\nWAV CONVERSION SUMMARY\r\r\n\r\r\nIM2 Encrypted File: YES\r\r\n\r\r\n"
                   "Decrypting...\r\r\nCreating File: " + wav + "\r\r\n";
}

class ConvertIm2Test : public ::testing::Test {
protected:
    void MakeImage(const synth::Im2Options& options, const std::vector<Fault>& faults = {}) {
        m_image = synth::MakeIm2(options, faults);
        ASSERT_TRUE(synth::WriteBytes(Source(), m_image));
    }
    std::string Source() const { return m_dir / "F00012.IM2"; }
    std::string Out(const std::string& file = "") const { return m_dir / ("out/" + file); }

    ConvertResult Convert(std::uint16_t megabytes = 0, std::uint16_t minutes = 0) {
        ::mkdir(Out().c_str(), 0755);
        m_hooks.calls.clear();
        const ConvertResult result = ConvertIm2({Source(), m_dir / "out", megabytes, minutes}, m_hooks);
        EXPECT_EQ(ReadBytes(Source()), m_image) << "the source image changed";
        return result;
    }

    test::TempDir m_dir;
    std::vector<std::uint8_t> m_image;
    test::RecordingHooks m_hooks;
};

TEST_F(ConvertIm2Test, CleanImageMakesOneWavAndItsSummary) {
    MakeImage({.storedBits = 16, .blocks = 4});
    const ConvertResult result = Convert();
    EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(result.segments, 1u);
    EXPECT_EQ(result.blocks, 4u);
    EXPECT_EQ(result.files, (std::vector<std::string>{Out("F00012.00.wav"), Out("F00012.00.txt")}));
    EXPECT_EQ(test::FolderEntries(Out()), (std::vector<std::string>{"F00012.00.txt", "F00012.00.wav"}));
    EXPECT_EQ(m_hooks.calls, (std::vector<std::string>{
                                 "SetMessage(Decrypting: F00012.IM2\r\n)", "SetRange(1000)", "Wait",
                                 "SetPos(0)", "Show", "Pump", "SetPos(250)", "Poll", "Pump",
                                 "SetPos(500)", "Poll", "Pump", "SetPos(750)", "Poll", "Pump",
                                 "SetPos(1000)", "Poll", "SetPos(1000)", "EndWait", "Hide"}));

    const std::vector<std::uint8_t> wav = ReadBytes(Out("F00012.00.wav"));
    const std::vector<std::uint8_t> header = {
        'R', 'I', 'F', 'F', 0x24, 8, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
        16, 0, 0, 0, 1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0,
        2, 0, 16, 0, 'd', 'a', 't', 'a', 0, 8, 0, 0};
    ASSERT_EQ(wav.size(), 44u + 2048);
    EXPECT_EQ(std::vector<std::uint8_t>(wav.begin(), wav.begin() + 44), header);
    EXPECT_EQ(std::vector<std::uint8_t>(wav.begin() + 44, wav.end()), test::DecodeAll(m_image));

    EXPECT_EQ(ReadText(Out("F00012.00.txt")),
              Heading("F00012.00.wav") + "Decryption Completed.\r\n" + kRule + "\r\r\n\r\r\n"
              "IM2 / IX2 DECRYPTION SUMMARY\r\r\n"
              "Unit ID: QM-04242\r\n"
              "Audio Image Number: 12\r\n"
              "Recording Start Time: 2008/03/14 09:26:53\r\n"
              "Recording Length:  0:00:00\r\n"
              "WAV Segment Start Time: 2008/03/14 09:26:53\r\n"
              "WAV Segment Length: 0:00:00\r\n"
              "Sample Rate: 8,000 Hz\r\n"
              "Bits Per Sample: 16\r\n"
              "Channels: 1\r\n"
              "Samples Per Channel: 1024\r\n"
              "Unit ID Errors: 0\r\nFile Number Errors: 0\r\nBlock Order Errors: 0\r\n"
              "Timestamp Errors: 0\r\nBlock Checksum Errors: 0\r\nTotal Irregular Blocks: 0\r\n"
              "(Total Time Irregular: 0.00 s)\r\n"
              "\r\r\n" + kRule + "\r\r\n"
              "* NOTE: Recording lengths accurate to 3 seconds per Hour.\r\n");
}

TEST_F(ConvertIm2Test, IrregularBlocksGetErrorLinesAndCounts) {
    MakeImage({.storedBits = 16, .blocks = 20},
              {{FaultKind::PayloadByte, 3}, {FaultKind::UnitNumber, 5}, {FaultKind::FileNumber, 7},
               {FaultKind::BlockOrder, 9}, {FaultKind::Timestamp, 12}});
    const ConvertResult result = Convert();
    EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(result.blocks, 20u);
    EXPECT_EQ(result.irregularBlocks, 6u);
    const std::vector<std::string> lines = test::LinesOf(ReadText(Out("F00012.00.txt")));
    ASSERT_EQ(lines.size(), 37u);
    // The unit and file shown are the header's; the index is the record's own.
    const std::string e = " ERROR: Unable to decode UNIT:QM-04242 FILE:00012 INDEX:";
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 7, lines.begin() + 14),
              (std::vector<std::string>{e + "3\r", e + "5\r", e + "7\r", e + "10\r", e + "9\r",
                                        e + "12\r", "Decryption Completed.\r"}));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 27, lines.begin() + 34),
              (std::vector<std::string>{"Unit ID Errors: 1\r", "File Number Errors: 1\r",
                                        "Block Order Errors: 2\r", "Timestamp Errors: 1\r",
                                        "Block Checksum Errors: 1\r", "Total Irregular Blocks: 6\r",
                                        "(Total Time Irregular: 0.19 s)\r"}));
    EXPECT_EQ(test::WavData(Out("F00012.00.wav")), test::DecodeAll(m_image));
}

TEST_F(ConvertIm2Test, TheHeaderAndTheFileLengthDecideTheBlocksRead) {
    struct Case {
        const char* name;
        std::int64_t stated;
        std::vector<Fault> faults;
        std::uint64_t blocks;
        int pumps;   // a cut record and the end of the file each take a turn of the loop
    };
    const Case cases[] = {{"cut last record", -1, {{FaultKind::TruncateLast, 0}}, 19, 21},
                          {"fewer stated", 12, {}, 12, 12},
                          {"more stated", 30, {}, 20, 21}};
    m_hooks.answer = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeImage({.storedBits = 16, .blocks = 20, .statedBlocks = c.stated}, c.faults);
        m_hooks.pumps = m_hooks.polls = 0;
        const ConvertResult result = Convert();
        EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
        EXPECT_EQ(result.blocks, c.blocks);
        EXPECT_EQ(result.irregularBlocks, 0u);
        EXPECT_EQ(m_hooks.pumps, c.pumps);
        EXPECT_EQ(m_hooks.polls, c.pumps);
        const std::vector<std::uint8_t> all = test::DecodeAll(m_image);
        EXPECT_EQ(test::WavData(Out("F00012.00.wav")),
                  std::vector<std::uint8_t>(all.begin(), all.begin() + c.blocks * 512));
    }
}

TEST_F(ConvertIm2Test, AnEarlierRunIsAskedAboutAndReplacedAsAWhole) {
    // Two segments of 1 MiB now; an earlier run with a smaller limit left five. Names that
    // only look like segments of this conversion belong to no run of it and stay.
    MakeImage({.storedBits = 16, .blocks = 2100});
    ::mkdir(Out().c_str(), 0755);
    const std::vector<std::uint8_t> old = {1, 2, 3};
    const std::vector<std::string> strangers = {"F00012.00",     "F00012.00.wav.bak",
                                                "F00012.007.txt", "F00012.02.WAV",
                                                "F00012.7.wav",   "G00012.00.wav"};
    for (const std::string& name : strangers)
        ASSERT_TRUE(synth::WriteBytes(Out(name), old));

    // Only a higher segment of the earlier run is left, and that is enough to ask.
    ASSERT_TRUE(synth::WriteBytes(Out("F00012.03.txt"), old));
    const ConvertResult declined = Convert(1);
    EXPECT_EQ(declined.outcome, ConvertOutcome::Declined);
    EXPECT_EQ(declined.error.path, Out("F00012.03.txt"));
    EXPECT_TRUE(declined.files.empty());
    EXPECT_EQ(m_hooks.calls, std::vector<std::string>{"Ask(Tessivox|The file: " + Out("F00012.03.txt") +
                                                      " already exists. Overwrite and recreate its (.Txt) file?)"});
    EXPECT_EQ(test::FolderEntries(Out()).size(), strangers.size() + 1);

    for (const char* name : {"F00012.00.wav", "F00012.00.txt", "F00012.01.wav", "F00012.01.txt",
                             "F00012.02.wav", "F00012.04.wav"})
        ASSERT_TRUE(synth::WriteBytes(Out(name), old));
    const ConvertResult again = Convert(1);
    EXPECT_EQ(again.outcome, ConvertOutcome::Declined);
    EXPECT_EQ(again.error.path, Out("F00012.00.wav"));   // the question names the first segment
    EXPECT_EQ(test::FolderEntries(Out()).size(), strangers.size() + 7);

    m_hooks.answer = true;
    const ConvertResult replaced = Convert(1);
    EXPECT_EQ(replaced.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(replaced.segments, 2u);
    EXPECT_EQ(m_hooks.questions, 3);   // one a run
    std::vector<std::string> expected = strangers;
    expected.insert(expected.end(), {"F00012.00.txt", "F00012.00.wav", "F00012.01.txt", "F00012.01.wav"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::FolderEntries(Out()), expected);
    for (const std::string& name : strangers)
        EXPECT_EQ(ReadBytes(Out(name)), old) << name;
    EXPECT_EQ(test::WavData(Out("F00012.01.wav")).size(), 52u * 512);
}

TEST_F(ConvertIm2Test, ARunRefusedAtOnceLeavesTheEarlierRunWhole) {
    // The earlier run's first WAV name is now a folder: nothing can be made there, and the
    // summary beside it must not be lost to the attempt, Yes or not.
    MakeImage({.storedBits = 16, .blocks = 10});
    ::mkdir(Out().c_str(), 0755);
    ::mkdir(Out("F00012.00.wav").c_str(), 0755);
    const std::vector<std::uint8_t> summary = {'o', 'l', 'd'};
    ASSERT_TRUE(synth::WriteBytes(Out("F00012.00.txt"), summary));
    ASSERT_TRUE(synth::WriteBytes(Out("F00012.01.wav"), summary));
    m_hooks.answer = true;
    const ConvertResult result = Convert();
    EXPECT_EQ(result.outcome, ConvertOutcome::NotStarted);
    EXPECT_TRUE(result.outputFailed);
    EXPECT_EQ(result.error.path, Out("F00012.00.wav"));
    EXPECT_EQ(DescribeError(result.error), "Is a directory");
    EXPECT_EQ(m_hooks.questions, 0);   // a name that cannot go is told before anyone is asked
    EXPECT_EQ(ReadBytes(Out("F00012.00.txt")), summary);
    EXPECT_EQ(ReadBytes(Out("F00012.01.wav")), summary);
}

TEST_F(ConvertIm2Test, ARunWhoseFirstNameIsTakenMeanwhileWritesNothing) {
    // Another conversion into the folder passed the same check a moment earlier and made the
    // first segment between this run's check and its first file.
    MakeImage({.storedBits = 16, .blocks = 10});
    ::mkdir(Out().c_str(), 0755);
    const std::vector<std::uint8_t> theirs = {7, 7, 7};
    m_hooks.onShow = [&] { ASSERT_TRUE(synth::WriteBytes(Out("F00012.00.wav"), theirs)); };
    const ConvertResult result = Convert();
    EXPECT_EQ(result.outcome, ConvertOutcome::NotStarted);
    EXPECT_TRUE(result.outputFailed);
    EXPECT_EQ(result.error.path, Out("F00012.00.wav"));
    EXPECT_EQ(ReadBytes(Out("F00012.00.wav")), theirs);
    EXPECT_EQ(test::FolderEntries(Out()), std::vector<std::string>{"F00012.00.wav"});
}

TEST_F(ConvertIm2Test, NoSegmentIsWrittenThroughALinkOrIntoTheImage) {
    // Two segments of 1 MiB. A link at a later segment's name once led the audio into another
    // recording's file; Yes to the question must not make that right.
    MakeImage({.storedBits = 16, .blocks = 2100});
    const std::string victim = m_dir / "other.wav";
    const std::string elsewhere = m_dir / "made-elsewhere.txt";
    const std::vector<std::uint8_t> kept = {9, 8, 7};
    struct Case {
        const char* what;
        std::string name;
        std::function<int(const std::string&)> make;
        int atPoll;   // 0: before the run
        const char* why;
    };
    const auto linkTo = [](std::string target) {
        return [target](const std::string& at) { return ::symlink(target.c_str(), at.c_str()); };
    };
    const std::string image = Source();
    const Case cases[] = {
        {"link to another file", "F00012.01.wav", linkTo(victim), 0, "Is a symbolic link"},
        {"link to no file yet", "F00012.01.txt", linkTo(elsewhere), 0, "Is a symbolic link"},
        {"hard link to the image", "F00012.01.txt",
         [image](const std::string& at) { return ::link(image.c_str(), at.c_str()); }, 0,
         "Is the recording image itself"},
        {"link made during the run", "F00012.01.wav", linkTo(victim), 100, "Is a symbolic link"},
    };
    m_hooks.answer = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir out;   // a fresh folder for every case
        ASSERT_TRUE(synth::WriteBytes(victim, kept));
        const std::string at = out / c.name;
        if (c.atPoll == 0)
            ASSERT_EQ(c.make(at), 0);
        else
            m_hooks.cancelWhen = [&](int polls) { return polls == c.atPoll && c.make(at) != 0; };
        m_hooks.questions = m_hooks.polls = 0;
        const ConvertResult result = ConvertIm2({Source(), out / "", 1, 0}, m_hooks);
        m_hooks.cancelWhen = nullptr;

        EXPECT_TRUE(result.outputFailed);
        EXPECT_EQ(result.error.path, at);
        EXPECT_TRUE(DescribeError(result.error).starts_with(c.why)) << DescribeError(result.error);
        EXPECT_EQ(ReadBytes(victim), kept);
        EXPECT_EQ(ReadBytes(Source()), m_image);
        EXPECT_EQ(::access(elsewhere.c_str(), F_OK), -1);
        if (c.atPoll == 0) {
            EXPECT_EQ(result.outcome, ConvertOutcome::NotStarted);
            EXPECT_EQ(m_hooks.questions, 0);
            EXPECT_EQ(test::FolderEntries(out / ""), std::vector<std::string>{c.name});
        } else {
            // Segment 0 was finished before the name of segment 1 was refused.
            EXPECT_EQ(result.outcome, ConvertOutcome::Cancelled);
            EXPECT_EQ(result.files, (std::vector<std::string>{out / "F00012.00.wav", out / "F00012.00.txt"}));
        }
    }
}

TEST_F(ConvertIm2Test, BadHeaderIsReportedInTheFirstSegmentOnly) {
    MakeImage({.storedBits = 16, .blocks = 2100}, {{FaultKind::BadHeader}});
    const ConvertResult result = Convert(1);
    EXPECT_EQ(result.outcome, ConvertOutcome::Completed);
    EXPECT_EQ(result.irregularBlocks, 1u);
    const std::vector<std::string> first = test::LinesOf(ReadText(Out("F00012.00.txt")));
    const std::vector<std::string> second = test::LinesOf(ReadText(Out("F00012.01.txt")));
    ASSERT_EQ(first.size(), 32u);
    ASSERT_EQ(second.size(), 31u);
    EXPECT_EQ(first[7], " ERROR: Unable to decode HEADER:0\r");
    EXPECT_EQ(first[26], "Block Checksum Errors: 1\r");
    EXPECT_EQ(first[27], "Total Irregular Blocks: 1\r");
    EXPECT_EQ(second[7], "Decryption Completed.\r");
    EXPECT_EQ(second[25], "Block Checksum Errors: 0\r");
    EXPECT_EQ(second[26], "Total Irregular Blocks: 0\r");
}

TEST_F(ConvertIm2Test, CancelDuringTheThirdSegment) {
    // 1 MiB segments of 2,048 blocks: the third begins with block 4,096.
    MakeImage({.storedBits = 16, .blocks = 5000}, {{FaultKind::PayloadByte, 4150}});
    m_hooks.cancelWhen = [](int polls) { return polls == 4200; };
    const ConvertResult result = Convert(1);
    EXPECT_EQ(result.outcome, ConvertOutcome::Cancelled);
    EXPECT_EQ(result.blocks, 4200u);
    EXPECT_EQ(result.segments, 3u);
    EXPECT_EQ(m_hooks.polls, 4200);
    for (const char* done : {"F00012.00.txt", "F00012.01.txt"}) {
        const std::string text = ReadText(Out(done));
        EXPECT_NE(text.find("Decryption Completed.\r\n" + kRule), std::string::npos) << done;
        EXPECT_TRUE(text.ends_with("3 seconds per Hour.\r\n")) << done;
    }
    EXPECT_EQ(ReadText(Out("F00012.02.txt")),
              Heading("F00012.02.wav") +
                  " ERROR: Unable to decode UNIT:QM-04242 FILE:00012 INDEX:4150\r\n"
                  "Decryption Cancelled.\r\n");
    const std::vector<std::uint8_t> wav = ReadBytes(Out("F00012.02.wav"));
    ASSERT_EQ(wav.size(), 44u + 104 * 512);
    EXPECT_EQ(Le32(wav, 4), 36u + 104 * 512);
    EXPECT_EQ(Le32(wav, 40), 104u * 512);
    const std::vector<std::uint8_t> all = test::DecodeAll(m_image);
    EXPECT_TRUE(std::equal(all.begin() + 4096 * 512, all.begin() + 4200 * 512, wav.begin() + 44));
    EXPECT_EQ(test::FolderEntries(Out()).size(), 6u);
}

TEST_F(ConvertIm2Test, SourceOrDestinationThatCannotBeOpened) {
    const ConvertResult noSource = Convert();
    EXPECT_EQ(noSource.outcome, ConvertOutcome::NotStarted);
    EXPECT_EQ(noSource.error.path, Source());
    EXPECT_EQ(noSource.error.cause, Cause::NotFound);
    EXPECT_EQ(m_hooks.calls, (std::vector<std::string>{"SetMessage(Decrypting: F00012.IM2\r\n)",
                                                       "SetRange(1000)", "Wait", "EndWait", "Hide"}));
    EXPECT_TRUE(test::FolderEntries(Out()).empty());

    MakeImage({.storedBits = 16, .blocks = 10});
    const ConvertResult noFolder = ConvertIm2({Source(), m_dir / "absent", 0, 0}, m_hooks);
    EXPECT_EQ(noFolder.outcome, ConvertOutcome::NotStarted);
    EXPECT_EQ(noFolder.error.cause, Cause::NotFound);
    EXPECT_EQ(noFolder.error.path, m_dir / "absent/F00012.00.wav");
    EXPECT_TRUE(noFolder.files.empty());

    // No text file can be made: the WAV already created stays an empty 44-byte file.
    ::mkdir(Out().c_str(), 0755);
    m_hooks.onShow = [&] { ::mkdir(Out("F00012.00.txt").c_str(), 0755); };
    const ConvertResult noText = Convert();
    EXPECT_EQ(noText.outcome, ConvertOutcome::NotStarted);
    EXPECT_EQ(noText.error.path, Out("F00012.00.txt"));
    EXPECT_EQ(m_hooks.pumps, 0);
    const std::vector<std::uint8_t> wav = ReadBytes(Out("F00012.00.wav"));
    ASSERT_EQ(wav.size(), 44u);
    EXPECT_EQ(Le32(wav, 4), 36u);
    EXPECT_EQ(Le32(wav, 40), 0u);
}

TEST_F(ConvertIm2Test, FullDiskCancelsWithHonestSizes) {
    // 4-bit mono, 2,042 bytes a block; plain writes go out in runs of 129 blocks. At 1,048,000
    // bytes the disk fills inside the cut of the block crossing 1 MiB; at 600,000 inside the
    // third run of plain writes, whose failure used to go unnoticed and leave a short segment
    // that read as complete.
    struct Case {
        std::uint64_t fileLimit;
        std::uint64_t blocks;
    };
    for (const Case c : {Case{1'048'000, 513}, Case{600'000, 386}}) {
        SCOPED_TRACE(c.fileLimit);
        MakeImage({.storedBits = 4, .blocks = 700});
        m_hooks.answer = true;   // the second case writes over the first
        ConvertResult result;
        {
            const test::FileSizeLimit limit(c.fileLimit);
            result = Convert(1);
        }
        EXPECT_EQ(result.outcome, ConvertOutcome::Cancelled);
        EXPECT_EQ(result.error.cause, Cause::DiskFull);
        EXPECT_EQ(result.error.path, Out("F00012.00.wav"));
        EXPECT_EQ(result.blocks, c.blocks);
        EXPECT_EQ(ReadText(Out("F00012.00.txt")),
                  Heading("F00012.00.wav") + "Decryption Cancelled.\r\n");
        const std::vector<std::uint8_t> wav = ReadBytes(Out("F00012.00.wav"));
        ASSERT_EQ(wav.size(), c.fileLimit);
        EXPECT_EQ(Le32(wav, 4), c.fileLimit - 8);
        EXPECT_EQ(Le32(wav, 40), c.fileLimit - 44);
        EXPECT_TRUE(std::equal(wav.begin() + 44, wav.end(), test::DecodeAll(m_image).begin()));
        EXPECT_EQ(test::FolderEntries(Out()).size(), 2u);
    }
}

TEST_F(ConvertIm2Test, FullDiskInTheLastSummaryLeavesNoHalfSummary) {
    // Room for the one block of audio and the heading, not for the summary.
    MakeImage({.storedBits = 16, .blocks = 1});
    ConvertResult result;
    {
        const test::FileSizeLimit limit(600);
        result = Convert();
    }
    EXPECT_EQ(result.outcome, ConvertOutcome::Cancelled);
    EXPECT_EQ(result.error.path, Out("F00012.00.txt"));
    EXPECT_EQ(ReadText(Out("F00012.00.txt")), Heading("F00012.00.wav") + "Decryption Cancelled.\r\n");
    const std::vector<std::uint8_t> wav = ReadBytes(Out("F00012.00.wav"));
    ASSERT_EQ(wav.size(), 556u);
    EXPECT_EQ(Le32(wav, 40), 512u);
}

}  // namespace
}  // namespace tvx

#include "export/details.h"

#include "export_support.h"
#include "readers/img.h"
#include "readers/ix2_source.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

TEST(Details, CaptionAndIm2Text) {
    EXPECT_EQ(DetailsCaption("IM2"), "The details of the loaded IM2 file are:");
    // 16-bit mono: 116,344 blocks of 32 ms are 1:02:03.
    CIm2 image;
    image.m_block = synth::HeaderRecord({.storedBits = 16, .blocks = 116344});
    image.InitFromHeader();
    for (const bool complete : {true, false}) {
        image.SetFileLength(528ull * 116345 - (complete ? 0 : 1));
        EXPECT_EQ(Im2DetailsText(image), std::string("Recording:\r\n"
                                                     "Start:\tFri, 14 Mar 2008, 09:26:53\r\n"
                                                     "Duration:\t1:02:03\r\n"
                                                     "Complete:\t") +
                                             (complete ? "YES" : "NO") + "\r\n");
    }
}

class Ix2Details : public ::testing::Test {
protected:
    DetailsFields Load(const synth::Ix2Options& o) {
        const std::string path = m_dir / "F00012.IX2";
        EXPECT_TRUE(synth::WriteIx2File(path, o));
        Ix2Source source;
        EXPECT_FALSE(source.Open(path));
        return tvx::Ix2Details(source.Reader());
    }
    static synth::Ix2Options Split(bool chain) {
        synth::Ix2Options o;
        o.audio.storedBits = 16;
        o.audio.blocks = 1875;        // one minute of 32 ms blocks
        o.splitFirst = 1875 * 61;     // one hour and one minute in
        o.recordingLast = 1875 * 63 - 1;
        o.chain = chain;
        return o;
    }
    test::TempDir m_dir;
};

TEST_F(Ix2Details, PlainFileShowsTheRecordingAndItsSplit) {
    const DetailsFields f = Load(Split(false));
    EXPECT_EQ(f.formatName, "IX2");
    EXPECT_EQ(f.unitText, "QM-04242");
    EXPECT_EQ(f.number, "12");
    EXPECT_EQ(f.sampleRate, "8000");
    EXPECT_EQ(f.bits, "16");
    EXPECT_EQ(f.channels, "1");
    EXPECT_EQ(f.details, "---Recording---\r\n"
                         "Start:\tFri, 14 Mar 2008, 09:26:53\r\n"
                         "Duration:\t1:03:00\r\n"
                         "Complete:\tNO\r\n"
                         "\r\n---This Split File---\r\n"
                         "Start:\tFri, 14 Mar 2008, 10:27:53\r\n"
                         "Duration:\t0:01:00\r\n"
                         "Complete:\tYES\r\n");
}

TEST_F(Ix2Details, ChainShowsTheOuterImageAsTheSlave) {
    const DetailsFields f = Load(Split(true));
    EXPECT_EQ(f.formatName, "IX2 chain");
    EXPECT_EQ(DetailsCaption(f.formatName), "The details of the loaded IX2 chain file are:");
    EXPECT_EQ(f.unitText.rfind("QM-04242 (slave ", 0), 0u) << f.unitText;
    EXPECT_EQ(f.number, "12 (slave 3)");
    EXPECT_EQ(f.details.substr(0, 89), "---Recording---\r\n"
                                       "Start:\tFri, 14 Mar 2008, 09:26:53\r\n"
                                       "\t(slave Fri, 14 Mar 2008, 09:20:00)\r\n");
}

TEST_F(Ix2Details, UnreadableValuesShowAsUnknown) {
    synth::Ix2Options cut = Split(false);
    cut.cutTo = 1000;   // index block 0 only
    EXPECT_EQ(Load(cut).details, "---Recording---\r\nDetails unknown\r\n"
                                 "\r\n---This Split File---\r\nDetails unknown\r\n");
    cut.cutTo = 2000;   // no first data block: the split has no start
    const std::string text = Load(cut).details;
    EXPECT_EQ(text.substr(text.find("---This")), "---This Split File---\r\nDetails unknown\r\n");
    EXPECT_NE(text.find("Duration:\t1:03:00"), std::string::npos);
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

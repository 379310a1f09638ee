// Whole images played through SDL's disk driver, which writes what a sound card would play:
// the file must hold exactly the decoded audio, in order (only whole 512-byte buffers are
// ever handed on), with nothing but silence around and between the buffers.
#include "audio/sdl_backend.h"
#include "formats/im2/im2.h"
#include "formats/img/img.h"
#include "formats/ix2/ix2.h"

#include "disk_capture.h"
#include "playback_support.h"
#include "synth/image_reading.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

using test::Eventually;
using test::VerdictLog;

std::uint8_t SilenceOf(const synth::Im2Options& o) {
    return synth::LayoutOf(o).outputBits == 8 ? 0x80 : 0x00;
}

// The blocks of `o` from `first` on, as the reader's own decoder gives them unthreaded.
std::vector<std::uint8_t> DecodedFrom(const synth::Im2Options& o, std::uint32_t first) {
    std::vector<std::uint8_t> all;
    synth::DecodeImage(synth::MakeIm2(o), all);
    const std::size_t perBlock = all.size() / o.blocks;
    all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(first * perBlock));
    return all;
}

class PlaybackSdlTest : public ::testing::Test {
protected:
    void SetUp() override { VerdictLog::Take(); }

    // Plays the whole image in `reader`, then closes it so the driver's file is complete.
    template <typename Reader, typename OpenFn, typename CloseFn>
    std::vector<std::uint8_t> PlayThrough(Reader& reader, const std::string& name,
                                          OpenFn open, CloseFn close) {
        test::DiskCapture capture(name);
        if (!open())
            return {};
        reader.Play();
        EXPECT_TRUE(Eventually([&] { return !reader.IsPlaying(); }));
        close();
        return capture.Read();
    }

    test::TempFolder m_dir;
};

TEST_F(PlaybackSdlTest, EveryIm2VariantIsHeardAsDecoded) {
    CIm2 reader(PlaybackSetup{&MakeSdlBackend, nullptr});
    reader.SetBlockCallback(&VerdictLog::OnBlock);
    for (const auto& [name, options] : synth::EveryVariant(5)) {
        SCOPED_TRACE(name);
        const std::string path = m_dir / (name + ".IM2");
        ASSERT_TRUE(synth::WriteIm2File(path, options));
        const auto heard = PlayThrough(
            reader, name, [&] { return reader.OpenFile(path); }, [&] { reader.CloseFile(); });
        EXPECT_TRUE(test::HeardAsPlayed(heard, test::WholeBuffers(DecodedFrom(options, 0)),
                                        SilenceOf(options)));
        EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), test::Blocks(0, 4));
    }
}

TEST_F(PlaybackSdlTest, PlainAndChainIx2AreHeardAsDecoded) {
    CIx2 reader(PlaybackSetup{&MakeSdlBackend, nullptr});
    reader.SetBlockCallback(&VerdictLog::OnBlock);
    for (const bool chain : {false, true}) {
        SCOPED_TRACE(chain ? "chain" : "plain");
        synth::Ix2Options o;
        o.audio.storedBits = 8;
        o.audio.modelCode = 37;   // 8-bit output
        o.audio.channels = 2;
        o.audio.blocks = 24;
        o.splitFirst = 10;
        o.chain = chain;
        const std::string path = m_dir / "F00012.IX2";
        ASSERT_TRUE(synth::WriteIx2File(path, o));
        const auto heard = PlayThrough(
            reader, chain ? "chain" : "plain", [&] { return reader.OpenFile(path); },
            [&] { reader.CloseFile(); });
        synth::Im2Options whole = o.audio;
        whole.blocks = o.splitFirst + o.audio.blocks;
        EXPECT_TRUE(test::HeardAsPlayed(heard, test::WholeBuffers(DecodedFrom(whole, 10)),
                                        SilenceOf(whole)));
        EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), test::Blocks(0, 23));
    }
}

TEST_F(PlaybackSdlTest, BothImgCodingsAreHeardAsDecoded) {
    CImg reader(PlaybackSetup{&MakeSdlBackend, nullptr});
    reader.SetRecordCallback(&VerdictLog::OnRecord);
    for (const int bits : {8, 5}) {
        SCOPED_TRACE(std::to_string(bits) + "-bit");
        synth::ImgOptions o;
        o.bits = bits;
        o.records = 12;
        o.erased = 2;
        o.sampleRate = 11025;
        const std::string path = m_dir / "VOICE.IMG";
        ASSERT_TRUE(synth::WriteImgFile(path, o));
        const auto heard = PlayThrough(
            reader, "img" + std::to_string(bits), [&] { return reader.Open(path); },
            [&] {
                reader.Close();   // does not wait: the device goes when the worker gets to it
                reader.Open("");
            });
        std::vector<std::uint8_t> expected;
        for (std::uint32_t n = 1; n <= 12; ++n) {
            const auto samples = synth::ImgSamples(o, n);
            expected.insert(expected.end(), samples.begin(), samples.end());
        }
        EXPECT_TRUE(test::HeardAsPlayed(heard, test::WholeBuffers(expected), 0x80));
        EXPECT_EQ(VerdictLog::Indices(VerdictLog::Take()), test::Blocks(0, 11));
    }
}

}  // namespace
}  // namespace tvx

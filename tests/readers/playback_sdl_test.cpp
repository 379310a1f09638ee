// Whole images played through SDL's disk driver, which writes what a sound card would play:
// the file must hold exactly the decoded audio, in order (only whole 512-byte buffers are
// ever handed on), with nothing but silence around and between the buffers.
#include "audio/sdl_backend.h"

#include "disk_capture.h"
#include "playback_support.h"

namespace tvx::test {
namespace {

TEST(PlaybackSdl, EveryFormatAndCodeIsHeardAsDecoded) {
    std::vector<TestImage> images;
    for (const auto& [name, options] : synth::EveryVariant(5))
        images.push_back({Kind::Im2, options, {}});
    for (const Kind kind : {Kind::Ix2Plain, Kind::Ix2Chain})   // 8-bit output
        images.push_back({kind, {.storedBits = 8, .channels = 2, .modelCode = 37, .blocks = 24}, {}});
    for (const Kind kind : {Kind::Img8, Kind::Img5})
        images.push_back({kind, {}, {.bits = kind == Kind::Img5 ? 5 : 8, .sampleRate = 11025, .records = 12, .erased = 3}});
    TempFolder dir;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const TestImage& image = images[i];
        SCOPED_TRACE(testing::Message() << image.Name() << " #" << i);
        VerdictLog::Take();
        DiskCapture capture("image" + std::to_string(i));
        {
            auto reader = image.MakeReader(PlaybackSetup{&MakeSdlBackend, nullptr});
            ASSERT_TRUE(reader->Open(image.Write(dir)));
            reader->Play();
            EXPECT_TRUE(Eventually([&] { return !reader->IsPlaying(); }));
        }   // the device goes with the reader, and the driver's file is complete
        EXPECT_TRUE(HeardAsPlayed(capture.Read(), image.HeardFrom(0), image.Silence()));
        EXPECT_EQ(VerdictLog::TakeIndices(), Blocks(0, static_cast<std::int32_t>(image.Blocks()) - 1));
    }
}

}  // namespace
}  // namespace tvx::test

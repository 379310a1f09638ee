// Each format's player, made from its path as both shells make it, playing into the test
// backend and counting through the verdict route.
#include "play/player.h"

#include "formats/format_of.h"
#include "play/verdict_route.h"
#include "playback_support.h"
#include "synth/img_synth.h"
#include "synth/ix2_synth.h"
#include "synth/synth.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace tvx {
namespace {

struct Answers {
    std::uint32_t stripExtra;
    std::uint64_t totalBlocks;
    std::uint32_t fileBlocks;
    const char* lengthText;
    std::int64_t fileMs;
    std::int64_t seekSpanMs;
    const char* openFailure;   // its first words; "" when the reader says so itself
};

struct Case {
    const char* name;
    std::function<bool(const std::string&)> write;
    Answers answers;
};

// 30 blocks present of 32 ms (IMG: records of 64 ms); the IM2 header states 40, the IX2
// split 100. A click runs over the stated length of an IM2 image, over what the file holds
// of the others.
TEST(Player, EachFormatAnswersForItselfAndPlaysOnlyTheLastBlockFromItsLastMillisecond) {
    synth::Im2Options im2;
    im2.blocks = 30;
    im2.statedBlocks = 40;
    synth::Ix2Options ix2;
    ix2.audio.blocks = 30;
    ix2.splitLast = 99;
    const Answers asIm2{1, 40, 30, "00:00:01.280", 960, 1280, "Error -  Failed "};
    const Case cases[] = {
        {"F00012.IM2", [&](const std::string& p) { return synth::WriteIm2File(p, im2); }, asIm2},
        {"F00012.IX2", [&](const std::string& p) { return synth::WriteIx2File(p, ix2); },
         {3, 100, 30, "00:00:03.200", 960, 960, "Error - Failed t"}},
        // The folder's name makes it IX2 to the search, its own name IM2 to the reader.
        {"x.IX2/F00013.im2", [&](const std::string& p) { return synth::WriteIm2File(p, im2); },
         {1, 40, 30, "00:00:01.280", 960, 1280, "Error - Failed t"}},
        {"F00012.IMG",
         [](const std::string& p) { return synth::WriteImgFile(p, {.records = 30}); },
         {0, 30, 30, "00:00:01.920", 1920, 1920, ""}},
    };
    test::TempFolder dir;
    std::filesystem::create_directories(dir / "x.IX2");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / c.name;
        ASSERT_TRUE(c.write(path));
        TestAudio audio;
        test::RecordingHooks hooks;
        AuthTally tally;
        const VerdictRoute route(tally);
        const auto player = MakePlayer(FormatOf(path), {audio.Factory(), &hooks});
        ASSERT_TRUE(player->OpenFile(path));
        const Answers& a = c.answers;
        EXPECT_EQ(player->StripExtra(), a.stripExtra);
        EXPECT_EQ(player->TotalBlocks(), a.totalBlocks);
        EXPECT_EQ(player->FileBlocks(), a.fileBlocks);
        EXPECT_EQ(player->LengthText(), a.lengthText);
        EXPECT_EQ(player->FileMs(), a.fileMs);
        EXPECT_EQ(player->SeekSpanMs(), a.seekSpanMs);
        EXPECT_EQ(player->OpenFailureText(path).value_or("").substr(0, 16),
                  std::string(a.openFailure));

        // The last millisecond rounds past the last block: moved back into it, not dropped.
        ASSERT_TRUE(tally.Allocate(player->FileBlocks(), player->StripExtra()));
        player->SeekMs(player->SeekableMs(player->FileMs() - 1));
        ASSERT_TRUE(test::Eventually([&] { return !player->IsSeekPending(); }));
        player->Play();
        ASSERT_TRUE(test::PlayToEnd(audio, [&] { return player->IsPlaying(); }));
        EXPECT_EQ(tally.GetCounts().verifiedBlocks, 1);
        EXPECT_EQ(tally.GetStrip().GetEntry(player->FileBlocks() - 1 + player->StripExtra()),
                  StripStates::kAuthentic);
        player->CloseFile();
    }
}

}  // namespace
}  // namespace tvx

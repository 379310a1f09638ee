// Each format's player, made from its path as both shells make it, playing into the test
// backend and counting through the verdict route.
#include "play/player.h"

#include "formats/format_of.h"
#include "play/verdict_route.h"
#include "playback_support.h"

namespace tvx {
namespace {

// The strip's extra slots, the blocks counted against and those present, the length shown,
// the file's ms, a click's span, and the first words of an open failure ("" when the reader
// says so itself).
using Answers = std::tuple<std::uint32_t, std::uint64_t, std::uint32_t, std::string, std::int64_t, std::int64_t, std::string>;

// 30 blocks present of 32 ms (IMG: records of 64 ms); the IM2 header states 40, the IX2
// split 100. A click runs over the stated length of an IM2 image, over what the file holds
// of the others.
TEST(Player, EachFormatAnswersForItselfAndPlaysOnlyTheLastBlockFromItsLastMillisecond) {
    const synth::Im2Options im2{.blocks = 30, .statedBlocks = 40};
    const synth::Ix2Options ix2{.audio = {.blocks = 30}, .splitLast = 99};
    const std::tuple<const char*, std::function<bool(const std::string&)>, Answers> cases[] = {
        {"F00012.IM2", [&](const std::string& p) { return synth::WriteIm2File(p, im2); },
         {1, 40, 30, "00:00:01.280", 960, 1280, "Error -  Failed "}},
        {"F00012.IX2", [&](const std::string& p) { return synth::WriteIx2File(p, ix2); },
         {3, 100, 30, "00:00:03.200", 960, 960, "Error - Failed t"}},
        // The folder's name makes it IX2 to the search, its own name IM2 to the reader.
        {"x.IX2/F00013.im2", [&](const std::string& p) { return synth::WriteIm2File(p, im2); },
         {1, 40, 30, "00:00:01.280", 960, 1280, "Error - Failed t"}},
        {"F00012.IMG", [](const std::string& p) { return synth::WriteImgFile(p, {.records = 30}); },
         {0, 30, 30, "00:00:01.920", 1920, 1920, ""}},
    };
    test::TempDir dir;
    std::filesystem::create_directories(dir / "x.IX2");
    for (const auto& [name, write, answers] : cases) {
        SCOPED_TRACE(name);
        const std::string path = dir / name;
        ASSERT_TRUE(write(path));
        TestAudio audio;
        test::RecordingHooks hooks;
        AuthTally tally;
        const VerdictRoute route(tally);
        const auto player = MakePlayer(FormatOf(path), {audio.Factory(), &hooks});
        ASSERT_TRUE(player->OpenFile(path));
        EXPECT_EQ(Answers(player->StripExtra(), player->TotalBlocks(), player->FileBlocks(), player->LengthText(),
                          player->FileMs(), player->SeekSpanMs(), player->OpenFailureText(path).value_or("").substr(0, 16)),
                  answers);

        // The last millisecond rounds past the last block: moved back into it, not dropped.
        ASSERT_TRUE(tally.Allocate(player->FileBlocks(), player->StripExtra()));
        player->SeekMs(player->SeekableMs(player->FileMs() - 1));
        ASSERT_TRUE(test::Eventually([&] { return !player->IsSeekPending(); }));
        player->Play();
        ASSERT_TRUE(test::AdvanceUntil(audio, [&] { return !player->IsPlaying(); }));
        EXPECT_EQ(tally.GetCounts().verifiedBlocks, 1);
        EXPECT_EQ(tally.GetStrip().GetEntry(player->FileBlocks() - 1 + player->StripExtra()), StripStates::kAuthentic);
        player->CloseFile();
    }
}

}  // namespace
}  // namespace tvx

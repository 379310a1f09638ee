#include "analysis/auth_tally.h"
#include "audio/sdl_backend.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/image_kind.h"
#include "cli/key_input.h"
#include "cli/player.h"
#include "cli/report_text.h"
#include "cli/terminal_hooks.h"
#include "core/format.h"
#include "core/hooks.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <unistd.h>

namespace tvx::cli {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kTick{100};
constexpr char kCtrlC = 3;

// The reader's callback is a plain function: it counts into the one tally of the process,
// on the reader's worker, as the window's own callback does.
AuthTally g_tally;

void OnBlock(std::int32_t index, BlockStatus status) { g_tally.OnBlockResult(index, status); }

void OnRecord(std::uint32_t index, std::uint32_t flags) {
    g_tally.OnBlockResult(static_cast<std::int32_t>(index), flags);
}

// stderr is shared by the status line (this thread) and the notices (the worker's).
class PlayTerminal : public Hooks {
public:
    explicit PlayTerminal(bool statusLine) : m_statusLine(statusLine) {}

    void Notice(const std::string& /*caption*/, const std::string& text) override {
        std::string line;
        for (std::size_t at = 0; at < text.size(); ++at) {
            const bool lineBreak = text.compare(at, 2, "\r\n") == 0;
            line += lineBreak ? ' ' : text[at];
            at += lineBreak ? 1 : 0;
        }
        const std::lock_guard lock(m_lock);
        ClearLocked();
        std::fprintf(stderr, "tessivox-cli: %s\n", line.c_str());
    }

    void Status(const std::string& text) {
        if (!m_statusLine)
            return;
        const std::lock_guard lock(m_lock);
        std::fprintf(stderr, "\r%s\033[K", text.c_str());
        std::fflush(stderr);
        m_shown = true;
    }

    void Clear() {
        const std::lock_guard lock(m_lock);
        ClearLocked();
    }

private:
    void ClearLocked() {
        if (!m_shown)
            return;
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        m_shown = false;
    }

    const bool m_statusLine;
    std::mutex m_lock;
    bool m_shown = false;
};

std::string StatusText(const Player& player, bool paused) {
    std::string text = FormatMs(std::max<std::int64_t>(player.PositionMs(), 0)) + " / " +
                       FormatMs(player.LengthMs());
    if (const auto clock = player.WallClock())
        text += "   " + *clock;
    if (paused)
        text += "   [paused]";
    return text;
}

std::string JudgedText(const std::string& path, const Player& player, bool ended) {
    const TallyCounts c = g_tally.GetCounts();
    // At its end the reader is back at the first block: the end is where playing got to.
    const std::int64_t reached =
        ended ? player.LengthMs() : std::max<std::int64_t>(player.PositionMs(), 0);
    std::string out = path + "\n";
    out += Format("%-22s%s of %s\n", "Played to:", FormatMs(reached).c_str(),
                  FormatMs(player.LengthMs()).c_str());
    out += Format("%-22s%ld\n", "Blocks judged:",
                  static_cast<long>(c.verifiedBlocks) + c.irregularBlocks);
    out += Format("%-22s%ld\n", "  Verified:", static_cast<long>(c.verifiedBlocks));
    out += Format("%-22s%ld\n", "  Irregular:", static_cast<long>(c.irregularBlocks));
    out += "Irregular Packets:\n";
    out += Format("%-22s%ld\n", "  Unit ID:", static_cast<long>(c.unitIdErrors));
    out += Format("%-22s%ld\n", "  File Number:", static_cast<long>(c.fileNumberErrors));
    out += Format("%-22s%ld\n", "  Sequence / Timing:", static_cast<long>(c.sequenceErrors));
    out += Format("%-22s%ld\n", "  CheckSum:", static_cast<long>(c.checksumErrors));
    return out;
}

}  // namespace

int RunPlay(const Options& options) {
    InstallInterruptHandler();
    const std::string& path = options.images.front();
    if (auto unknown = UnknownFormat(path)) {
        std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(*unknown).c_str());
        return kExitUnreadable;
    }
    PlayTerminal terminal(::isatty(STDERR_FILENO) != 0);
    const auto player =
        MakePlayer(FormatToRead(path), PlaybackSetup{&MakeSdlBackend, &terminal}, &OnBlock,
                   &OnRecord);
    if (!player->Open(path)) {
        std::fprintf(stderr, "tessivox-cli: Failed to open: %s\n", path.c_str());
        return kExitUnreadable;
    }
    if (options.fromMs && *options.fromMs >= player->LengthMs()) {
        std::fprintf(stderr, "tessivox-cli: --from %lld is past the end of the audio (%s)\n",
                     static_cast<long long>(*options.fromMs), FormatMs(player->LengthMs()).c_str());
        player->Close();
        return kExitUsage;
    }
    g_tally.Allocate(player->Blocks(), 0);
    if (options.fromMs)
        player->Seek(*options.fromMs);

    player->Play();
    bool ended = false;
    {
        KeyInput keys;
        bool paused = false;
        for (;;) {
            const std::optional<char> key = keys.Next(kTick);
            if (WasInterrupted() || key == 'q' || key == 'Q' || key == kCtrlC)
                break;
            if (key == ' ') {
                paused = !paused;
                player->Pause(paused);
            }
            if (!player->IsPlaying()) {
                ended = true;
                break;
            }
            terminal.Status(StatusText(*player, paused));
        }
    }
    terminal.Clear();
    const std::string judged = JudgedText(path, *player, ended);
    player->Stop();
    player->Close();
    std::fputs(judged.c_str(), stdout);
    return g_tally.GetCounts().irregularBlocks > 0 ? kExitIrregular : kExitAuthentic;
}

}  // namespace tvx::cli

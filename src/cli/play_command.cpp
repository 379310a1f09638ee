#include "analysis/auth_tally.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/key_input.h"
#include "cli/plugin.h"
#include "cli/report_text.h"
#include "cli/sdl_plugin.h"
#include "cli/terminal_hooks.h"
#include "cli/unknown_format.h"
#include "core/format.h"
#include "core/hooks.h"
#include "formats/format_of.h"
#include "formats/home_of.h"
#include "play/player.h"
#include "play/verdict_route.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

namespace tvx::cli {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kTick{100};
constexpr char kCtrlC = 3;

// The result of the last open of the sound device: the reader's worker opens it once as it
// is made and again for the image's format, and only the last open tells whether it plays.
std::atomic<std::uint32_t> g_lastDeviceOpen{0};

// The sound output's factory from libtvx_sdl, set before the player is made.
decltype(tvx_sdl_make_backend)* g_makeSdlBackend = nullptr;

class WatchedBackend final : public OutputBackend {
public:
    explicit WatchedBackend(std::unique_ptr<OutputBackend> inner) : m_inner(std::move(inner)) {}

    std::uint32_t Open(const PcmFormat& format, Completion onDone) override {
        const std::uint32_t result =
            m_inner ? m_inner->Open(format, std::move(onDone)) : kOutputErrorNoDriver;
        g_lastDeviceOpen.store(result);
        return result;
    }
    void Close() override { m_inner->Close(); }
    void Queue(std::span<const std::uint8_t> buffer) override { m_inner->Queue(buffer); }
    void Reset() override { m_inner->Reset(); }
    void Pause() override { m_inner->Pause(); }
    void Resume() override { m_inner->Resume(); }

private:
    std::unique_ptr<OutputBackend> m_inner;
};

std::unique_ptr<OutputBackend> MakeWatchedBackend() {
    return std::make_unique<WatchedBackend>(std::unique_ptr<OutputBackend>(g_makeSdlBackend()));
}

std::string OneLine(const std::string& text) {
    std::string line;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const bool lineBreak = text.compare(at, 2, "\r\n") == 0;
        line += lineBreak ? ' ' : text[at];
        at += lineBreak ? 1 : 0;
    }
    return line;
}

// stderr is shared by the status line (this thread) and the notices (the worker's). Notices
// while the image opens are held: the command says in one line what went wrong there.
class PlayTerminal : public Hooks {
public:
    explicit PlayTerminal(bool statusLine) : m_statusLine(statusLine) {}

    void Notice(const std::string& /*caption*/, const std::string& text) override {
        const std::lock_guard lock(m_lock);
        if (m_holding) {
            if (m_held.empty())
                m_held = OneLine(text);
            return;
        }
        ClearLocked();
        std::fprintf(stderr, "tessivox-cli: %s\n", OneLine(text).c_str());
    }

    // The first notice held while opening, if any; later notices are shown as they come.
    std::string StopHolding() {
        const std::lock_guard lock(m_lock);
        m_holding = false;
        return m_held;
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
    bool m_holding = true;
    std::string m_held;
};

// Playing starts where the seek put the reader, not a block before it; a time in the last
// half of the last block goes to that block rather than being dropped.
void SeekFrom(Player& player, std::int64_t ms) {
    player.SeekMs(player.SeekableMs(ms));
    while (player.IsSeekPending())
        std::this_thread::sleep_for(milliseconds(10));
}

// The index range the callback reports while playing, from 0: what the file holds, or what
// the image states when that is more.
std::uint32_t BlocksReported(const Player& player) {
    return std::max(player.FileBlocks(), static_cast<std::uint32_t>(player.TotalBlocks()));
}

std::string StatusText(const Player& player, bool paused) {
    std::string text = FormatMs(std::max<std::int64_t>(player.PlayedMs(), 0)) + " / " +
                       FormatMs(player.FileMs());
    if (player.Timeline().absolute)   // IMG images carry no wall-clock time
        text += "   " + player.DateLine();
    if (paused)
        text += "   [paused]";
    return text;
}

std::string JudgedText(const std::string& path, const Player& player, const TallyCounts& c,
                       bool ended) {
    // At its end the reader is back at the first block: the end is where playing got to.
    const std::int64_t reached =
        ended ? player.FileMs() : std::max<std::int64_t>(player.PlayedMs(), 0);
    std::string out = path + "\n";
    out += Format("%-22s%s of %s\n", "Played to:", FormatMs(reached).c_str(),
                  FormatMs(player.FileMs()).c_str());
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
    const Result<Plugin> sdl = Plugin::Open("sdl");
    g_makeSdlBackend = sdl ? sdl->Entry<decltype(tvx_sdl_make_backend)>("tvx_sdl_make_backend") : nullptr;
    if (!g_makeSdlBackend) {
        std::fprintf(stderr, "tessivox-cli: %s: no sound output to play it on (%s)\n", path.c_str(),
                     sdl ? "the sdl component has no backend" : sdl.GetError().detail.c_str());
        return kExitOutput;
    }
    PlayTerminal terminal(::isatty(STDERR_FILENO) != 0);
    AuthTally tally;
    const VerdictRoute route(tally);
    const auto player = MakePlayer(FormatOf(path), PlaybackSetup{&MakeWatchedBackend, &terminal});
    const bool opened = player->OpenFile(path);
    const std::string held = terminal.StopHolding();
    if (!opened) {
        // The player only says that it failed; the home's open says why, as the other commands do.
        const Result<OpenedImage> probe = HomeFor(path).Open(path);
        if (!probe)
            std::fprintf(stderr, "tessivox-cli: %s\n", FailureText(probe.GetError()).c_str());
        else
            std::fprintf(stderr, "tessivox-cli: Failed to open: %s%s%s\n", path.c_str(),
                         held.empty() ? "" : ": ", held.c_str());
        return kExitUnreadable;
    }
    if (const std::uint32_t device = g_lastDeviceOpen.load(); device != 0) {
        // Without a device every buffer counts as played at once: nothing would be heard.
        std::fprintf(stderr, "tessivox-cli: %s: no sound output to play it on (%s)\n",
                     path.c_str(),
                     held.empty() ? Format("error %u", device).c_str() : held.c_str());
        player->CloseFile();
        return kExitOutput;
    }
    if (options.fromMs && *options.fromMs >= player->FileMs()) {
        std::fprintf(stderr, "tessivox-cli: --from %lld is past the end of the audio (%s)\n",
                     static_cast<long long>(*options.fromMs), FormatMs(player->FileMs()).c_str());
        player->CloseFile();
        return kExitUsage;
    }
    tally.Allocate(BlocksReported(*player), player->StripExtra());
    if (options.fromMs)
        SeekFrom(*player, *options.fromMs);

    player->Play();
    bool ended = false;
    bool interrupted = false;
    {
        KeyInput keys;
        bool paused = false;
        for (;;) {
            const std::optional<char> key = keys.Next(kTick);
            interrupted = WasInterrupted() || key == kCtrlC;
            if (interrupted || key == 'q' || key == 'Q')
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
    const std::string judged = JudgedText(path, *player, tally.GetCounts(), ended);
    player->Stop();
    player->CloseFile();
    std::fputs(judged.c_str(), stdout);
    if (interrupted)
        return kExitInterrupted;
    return tally.GetCounts().irregularBlocks > 0 ? kExitIrregular : kExitAuthentic;
}

}  // namespace tvx::cli

#pragma once

#include "core/playback.h"
#include "formats/format_of.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tvx::cli {

// A reader with its worker as the play command drives it, whatever the image's format.
class Player {
public:
    virtual ~Player() = default;

    virtual bool Open(const std::string& path) = 0;
    virtual void Close() = 0;
    virtual void Play() = 0;
    virtual void Pause(bool pause) = 0;
    virtual void Stop() = 0;
    virtual void Seek(std::int64_t ms) = 0;
    virtual bool IsPlaying() const = 0;
    virtual std::int64_t PositionMs() const = 0;   // the time now being heard
    virtual std::int64_t LengthMs() const = 0;     // of the audio in the file
    // The recording's wall-clock time now being heard; IMG images carry none.
    virtual std::optional<std::string> WallClock() const = 0;
    // The index range the callback reports while playing, from 0.
    virtual std::uint32_t Blocks() const = 0;
};

// The reader of `format`, reporting to `onBlock` (IMG: `onRecord`).
std::unique_ptr<Player> MakePlayer(ImageFormat format, const PlaybackSetup& setup,
                                   BlockCallback onBlock, RecordCallback onRecord);

}  // namespace tvx::cli

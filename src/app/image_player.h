#pragma once

#include "analysis/auth_tally.h"
#include "app/result_texts.h"
#include "core/block_status.h"
#include "core/datetime.h"
#include "core/hooks.h"
#include "export/details.h"
#include "formats/format_of.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tvx::app {

// Where a reader reports its verdicts, on its worker: IM2 and IX2 readers give a signed block
// index (header records negative), IMG readers the record's index unsigned.
struct VerdictCallbacks {
    void (*block)(std::int32_t index, BlockStatus status) = nullptr;
    void (*record)(std::uint32_t index, std::uint32_t flags) = nullptr;
};

// What the timeline shows: clock times for images that carry dates, else a length.
struct TimelineSpan {
    bool absolute = false;
    COleDateTime start;
    COleDateTime end;
    COleDateTimeSpan length;
};

// Where playback or the scan stands, for the timeline and the cursor.
struct PlayPosition {
    COleDateTime current;           // images with dates
    COleDateTimeSpan elapsed;       // IMG
    std::int64_t counterMs = 0;     // the worker's block counter, as the progress runs
};

// The window's one reader, whatever its format: the requests of the transport and the
// values the timers read. Each format keeps its own reader with its worker behind it; the
// window never sees which.
class ImagePlayer {
public:

    virtual ~ImagePlayer() = default;

    // What the reader reads the bytes as: FormatOf's rules for the path it was made for.
    virtual ImageFormat Format() const = 0;

    // --- loading
    virtual bool OpenFile(const std::string& path) = 0;
    virtual void CloseFile() = 0;
    virtual bool HasFile() const = 0;
    virtual bool IsHeaderBad() const = 0;   // IMG: never judged
    virtual bool IsComplete() const = 0;
    virtual std::uint32_t StripExtra() const = 0;   // header records ahead of block 0
    // The header records again through the callback; returns once the worker has done so.
    virtual void Rewind() = 0;

    // --- lengths
    virtual std::uint64_t TotalBlocks() const = 0;
    virtual std::int64_t TotalMs() const = 0;
    // What a click on the waveform or the strip and the authentication progress run over:
    // IX2 the blocks the file holds, which a cut or an unfinished split makes differ from
    // its total; IM2 and IMG their total.
    virtual std::int64_t FileMs() const = 0;
    virtual std::int64_t OneBlockMs() const = 0;
    virtual AuthDurations Durations(const TallyCounts& counts) const = 0;
    virtual TimelineSpan Timeline() const = 0;

    // --- where it stands
    virtual PlayPosition Position() const = 0;
    virtual std::int64_t PlayedMs() const = 0;
    virtual IdentityTexts Identity() const = 0;
    virtual std::string DateLine() const = 0;
    // What the Details dialog shows of the open image.
    virtual DetailsFields Details() const = 0;

    // --- requests
    virtual void Play() = 0;
    virtual void Pause(bool pause) = 0;
    virtual void Stop() = 0;
    virtual void SeekMs(std::int64_t ms) = 0;
    virtual void StartScan() = 0;
    virtual void StopScan() = 0;
    virtual bool IsScanning() const = 0;
    virtual bool IsPlaying() const = 0;
    virtual void SetGain(double gain) = 0;
    virtual double Gain() const = 0;
    // "Boost": 3.0 for images with a header, 2.0 for IMG.
    virtual double BoostGain() const = 0;
};

// Makes the reader of each image the window loads, of the format the search found, showing
// what it reads by the kind's rules; the hooks carry the wave device's notice and the message
// pump that Rewind turns while it waits.
using PlayerFactory =
    std::function<std::unique_ptr<ImagePlayer>(ImageKind, Hooks&, const VerdictCallbacks&)>;

}  // namespace tvx::app

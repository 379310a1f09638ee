#pragma once

#include "analysis/auth_tally.h"
#include "core/datetime.h"
#include "export/details.h"
#include "formats/format_of.h"
#include "play/playback.h"
#include "play/player_texts.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tvx {

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

// One reader with its worker, whatever its format: the requests both shells make and the
// values they show. Each format answers for itself, so neither shell asks which it is.
// Verdicts go to OnBlockResult, wherever the VerdictRoute points.
class Player {
public:
    virtual ~Player() = default;

    // --- what the format offers, before a file is open
    // IM2 and IX2 images have header records and a stated length to judge at a load; IMG
    // records carry neither.
    virtual bool JudgesHeader() const = 0;
    virtual std::uint32_t StripExtra() const = 0;   // header records ahead of block 0
    virtual double BoostGain() const = 0;
    // The reader's own words when the file will not open; none when the reader has said why.
    virtual std::optional<std::string> OpenFailureText(const std::string& path) const = 0;

    // --- loading
    virtual bool OpenFile(const std::string& path) = 0;
    virtual void CloseFile() = 0;
    virtual bool HasFile() const = 0;
    virtual bool IsHeaderBad() const = 0;   // IMG: never judged
    virtual bool IsComplete() const = 0;
    // The header records again through the callback; returns once the worker has done so.
    virtual void Rewind() = 0;

    // --- lengths
    virtual std::uint64_t TotalBlocks() const = 0;   // what the durations count against
    virtual std::uint32_t FileBlocks() const = 0;    // the whole blocks the file holds
    virtual std::int64_t TotalMs() const = 0;
    // The Duration a load shows: IX2 keeps a length past 32 bits, IM2 and IMG wrap it.
    virtual std::string LengthText() const = 0;
    // The audio the file holds: a cut or unfinished image holds less than its total.
    virtual std::int64_t FileMs() const = 0;
    // What a click on the waveform or the strip and the authentication progress run over:
    // IX2 and IMG what the file holds, IM2 its stated length.
    virtual std::int64_t SeekSpanMs() const = 0;
    virtual std::int64_t OneBlockMs() const = 0;
    // Where record `index` starts in the recording, as a scan's runs give it; header records
    // (negative) at 0.
    virtual std::int64_t RecordStartMs(std::int64_t index) const = 0;
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
    // The reader drops a seek to a block past the file's end and plays on from where it was.
    virtual void SeekMs(std::int64_t ms) = 0;
    virtual bool IsSeekPending() const = 0;
    // A time in the last half of the last block rounds to the block past it; this is the
    // latest time at or before `ms` that still rounds to a block in the file.
    virtual std::int64_t SeekableMs(std::int64_t ms) const = 0;
    virtual void StartScan() = 0;
    virtual void StopScan() = 0;
    virtual bool IsScanning() const = 0;
    virtual bool IsPlaying() const = 0;
    virtual void SetGain(double gain) = 0;
    virtual double Gain() const = 0;
};

// The player of the kind: a reader of the format the search found, reading by the kind's
// rules. The setup's hooks carry the wave device's notice and the message pump that Rewind
// turns while it waits. Nothing for a kind of no format.
std::unique_ptr<Player> MakePlayer(ImageKind kind, const PlaybackSetup& setup);

}  // namespace tvx

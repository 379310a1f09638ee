#pragma once

#include "analysis/auth_tally.h"
#include "analysis/irregular_runs.h"
#include "analysis/verdict.h"
#include "core/datetime.h"
#include "core/error.h"
#include "core/hooks.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tvx {

// What the main window shows after a complete "&Authenticate", for one image.
struct AuthReport {
    std::string path;
    std::string format;                 // "IM2", "IX2", "IMG"
    std::string unitId;
    std::uint16_t fileNumber = 0;
    COleDateTime start;
    int sampleRate = 0;
    int bits = 0;                       // stored sample width
    int channels = 0;
    std::uint32_t statedBlocks = 0;     // from the header
    std::uint32_t fileBlocks = 0;       // data records present in the file
    std::uint64_t excessBytes = 0;      // past the stated blocks, or a cut record at the end
    bool headerOk = false;
    bool complete = false;
    bool structureJudged = true;        // IMG images have no header or length verdict
    bool cancelled = false;             // the scan was stopped before the end
    TallyCounts counts;
    AuthDurations durations;
    // Counted irregular records in scan order (-1 the IM2 header, -3..-1 the IX2 index
    // blocks); an IMG record with a break in its voice checksum chain is listed with that bit.
    IrregularRuns irregular;
    bool voiceChain = false;            // IMG: the voice-image checksum chain was followed
    std::uint64_t voiceChecksumErrors = 0;

    // IX2: the split this file holds, in the recording's block numbers (all ones: unknown).
    // A chain's own values are its inner stream's; the slave values are the outer image's.
    bool isIx2 = false;
    bool chain = false;
    std::string slaveUnitId;
    std::uint16_t slaveFileNumber = 0;
    COleDateTime splitStart;
    std::uint64_t splitFirst = 0;
    std::uint64_t splitLast = 0;
    std::uint64_t splitBlocks = 0;
    bool wholeSplit = false;
};

// The facts of a finished scan that its verdict rests on.
VerdictFacts VerdictOf(const AuthReport& report);

// Records per read: the window's reader scans 16 at a time; a batch caller may read more
// and still reports every record exactly as the reader does.
inline constexpr std::size_t kScanPieceRecords = 16;

// The error a pass gives when its tally cannot be allocated.
Error OutOfMemoryError(const std::string& path);

// A progress value: the hooks take an int, the lengths are 64-bit.
int ProgressValue(std::int64_t value);

}  // namespace tvx

#pragma once

#include "core/block_status.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tvx {

// Irregularity counts of one WAV segment. Slots 4-6 are never used; 8 is the voice image
// checksum of IMG images; 9 counts every irregular block.
using SegmentCounters = std::array<std::uint32_t, 10>;

inline constexpr std::size_t kSlotFileNumber = 0;
inline constexpr std::size_t kSlotUnitId = 1;
inline constexpr std::size_t kSlotTimestamp = 2;
inline constexpr std::size_t kSlotBlockOrder = 3;
inline constexpr std::size_t kSlotChecksum = 7;
inline constexpr std::size_t kSlotVoiceImage = 8;
inline constexpr std::size_t kSlotTotal = 9;

void AddToCounters(SegmentCounters& counters, BlockStatus status);

// 2,047 MiB: no segment grows past it, whatever the user asked for.
inline constexpr std::uint32_t kMaxSegmentBytes = 0x7FF00000u;

// Minutes win over megabytes; neither, or too many, gives the largest segment. Never 0: a
// sample rate of 0 makes the minutes count as not given.
std::uint32_t SegmentByteLimit(int channels, int outputBits, int sampleRate,
                               std::uint16_t megabytes, std::uint16_t minutes);

// Where the segments of one conversion go: "<folder>/<name>.NN.wav" and ".NN.txt", with name
// the source's file name less its last four characters (the extension and its dot).
struct SegmentNames {
    std::string folder;   // ends with "/"
    std::string name;

    std::string WavPath(std::uint16_t index) const;
    std::string TextPath(std::uint16_t index) const;

    // The segment a file name (without folder) stands for, when it is one that WavPath or
    // TextPath makes: "NAME.07.txt" is 7, "NAME.7.txt" and "NAME.007.txt" are no segment.
    std::optional<std::uint16_t> SegmentOf(const std::string& fileName) const;
};

SegmentNames NameSegments(const std::string& sourcePath, const std::string& folder);

// The part of a path after its last "/".
std::string FileNameOf(const std::string& path);

}  // namespace tvx

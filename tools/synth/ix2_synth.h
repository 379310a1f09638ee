#pragma once

// IX2 images: a preamble, three index blocks and the audio blocks of one split of a longer
// recording, either directly (plain) or as the stream that the outer blocks of a chain carry.

#include "synth/synth.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tvx::synth {

struct Ix2Options {
    // The audio blocks: format, identity, signal. `audio.blocks` is the split's length and
    // `audio.statedBlocks` is ignored: the recording's length comes from recordingLast.
    Im2Options audio;
    bool chain = false;
    std::uint32_t splitFirst = 0;          // block number of the file's first audio block
    std::int64_t splitLast = -1;           // -1: the last block present
    std::int64_t recordingLast = -1;       // -1: splitLast
    // The outer image of a chain: its own identity and the number of its first data block.
    std::uint16_t outerUnitNumber = 777;
    std::uint16_t outerFileNumber = 3;
    std::uint32_t outerTimestamp = PackTimestamp({2008, 3, 14, 9, 20, 0});
    std::uint32_t outerFirst = 5000;
    // Index tables of a chain: a matching entry with a broken checksum ahead of the right one,
    // and entries of another recording of the unit; without matchingEntry no entry names it.
    bool decoyEntry = true;
    bool matchingEntry = true;
    std::optional<int> brokenIndexBlock{};   // 0..2: that index block's checksum is broken
    std::optional<std::uint64_t> cutTo{};    // the file ends after this many bytes
};

// Faults name audio blocks of the split (0 is the file's first); TruncateLast and BadHeader
// are not used here (cutTo and brokenIndexBlock stand for them).
std::vector<std::uint8_t> MakeIx2(const Ix2Options& options, std::span<const Fault> faults = {});
bool WriteIx2File(const std::string& path, const Ix2Options& options,
                  std::span<const Fault> faults = {});
std::uint64_t Ix2ImageSize(const Ix2Options& options);

// Outer data blocks a chain needs for its inner blocks.
std::uint64_t ChainOuterBlocks(std::uint32_t innerBlocks);

// A table entry: file, unit, timestamp, block number, and the checksum at byte 14.
std::array<std::uint8_t, 16> IndexEntry(std::uint16_t fileNumber, std::uint16_t unitNumber,
                                        std::uint32_t timestamp, std::uint32_t blockNumber);

}  // namespace tvx::synth

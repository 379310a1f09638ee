#pragma once

// IMG images: records of 8-bit PCM or 5-bit delta code from the test signal, with their
// trailers, block checksums and running voice-image checksum right, and an erased tail.

#include "core/block_record.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tvx::synth {

struct ImgOptions {
    int bits = 8;                    // 8 or 5
    std::uint16_t sampleRate = 8000;
    std::uint16_t unitId = 0x1A2B;
    std::uint16_t fileNumber = 7;
    std::uint32_t records = 20;      // written records, record 1 included
    std::uint32_t erased = 0;        // all-0xFF records after them
    std::uint32_t seed = 1;
};

enum class ImgFaultKind {
    VoiceChecksum,   // a wrong byte 527 in `record`, which the later records run on from
    RecordIndex,     // a block number one too high in `record`
    BlockChecksum,   // a payload byte changed after the sums were made
    UnitId,          // another unit in `record`
    FileNumber,      // another file number in `record`
    SampleCount,     // a sample count the record never decodes to
    CutLast,         // the last written record keeps `record` bytes (the erased tail is dropped)
};

// `record` counts from 1, as the block numbers do.
struct ImgFault {
    ImgFaultKind kind;
    std::uint32_t record = 1;
};

// Record n of the untouched image.
Record ImgRecord(const ImgOptions& options, std::uint32_t n);
std::vector<std::uint8_t> MakeImg(const ImgOptions& options, std::span<const ImgFault> faults = {});
bool WriteImgFile(const std::string& path, const ImgOptions& options,
                  std::span<const ImgFault> faults = {});

// What the conversion's decoder turns record n's payload into (512 or 817 samples).
std::vector<std::uint8_t> ImgSamples(const ImgOptions& options, std::uint32_t n);

}  // namespace tvx::synth

#pragma once

#include "core/datetime.h"
#include "formats/format_of.h"
#include "formats/identity_texts.h"

#include <cstdint>
#include <optional>

namespace tvx {

// The part of the recording an IX2 file holds, in the recording's block numbers (all ones:
// unknown). A chain's values are its inner stream's.
struct SplitValues {
    std::uint64_t first = ~std::uint64_t{0};
    std::uint64_t last = ~std::uint64_t{0};
    std::uint64_t blocks = 0;
    bool whole = false;   // the file holds every block of its split
    bool chain = false;

    bool operator==(const SplitValues&) const = default;
};

// What an opened image is, whatever its format: filled once when the image opens, read by
// the shells instead of a reader's fields.
struct OpenedImage {
    ImageFormat format = ImageFormat::None;   // the rules its bytes are read by
    std::uint64_t totalBlocks = 0;   // what the strip and the durations count: IX2 its split
    std::uint32_t stripExtra = 0;    // header records reported ahead of block 0
    std::int64_t lengthMs = 0;       // of totalBlocks
    // What the file holds, which a seek and the scan's progress run over: IX2 the blocks
    // present, which a cut or unfinished split makes shorter than lengthMs.
    std::int64_t fileMs = 0;
    std::optional<COleDateTime> start;   // IMG images carry no dates
    IdentityTexts identity;
    bool headerBad = false;   // IMG: never judged
    bool complete = true;     // the file holds the blocks its header states
    std::optional<SplitValues> split;   // IX2 only
};

}  // namespace tvx

#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tvx {

// One state byte per record of the loaded image, plus `extra` slots in front for the header
// records, which arrive with negative indices. Written by a reader's worker while the window
// paints from it, so each byte is reached atomically. The bytes come zeroed from the system,
// untouched until judged: a damaged header may state billions of blocks.
class StripStates {
public:
    static constexpr std::uint8_t kNotJudged = 0;
    static constexpr std::uint8_t kAuthentic = 2;
    static constexpr std::uint8_t kIrregular = 3;
    static constexpr std::uint8_t kRefused = 0xFF;

    // False when the memory cannot be had; the strip is then empty.
    bool Allocate(std::uint32_t count, std::uint32_t extra);
    void Reset();   // every entry back to not judged, its memory back to the system

    // The entry's previous state, or kRefused when the index falls outside or the state is
    // not one the strip draws (4 or more); nothing changes then.
    std::uint8_t SetBlock(std::int32_t index, std::uint8_t state);

    std::uint8_t GetEntry(std::size_t entry) const;
    std::size_t GetEntries() const { return m_nEntries; }
    std::uint32_t GetExtra() const { return m_nExtra; }

private:
    struct Free {
        std::size_t bytes;   // of the mapping
        void operator()(std::uint8_t* p) const;
    };
    std::atomic_ref<std::uint8_t> At(std::size_t entry) const {
        return std::atomic_ref<std::uint8_t>(m_states.get()[entry]);
    }

    std::unique_ptr<std::uint8_t[], Free> m_states;
    std::size_t m_nEntries = 0;
    std::uint32_t m_nExtra = 0;
};

}  // namespace tvx

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
    // Which states occur among entries [first, last): bit s set when some entry holds s.
    // The strip's painter asks this of every column, millions of entries per repaint.
    std::uint8_t StatesIn(std::size_t first, std::size_t last) const;
    std::size_t GetEntries() const { return m_nEntries; }
    std::uint32_t GetExtra() const { return m_nExtra; }

    // Grows with every change, so a painter on another thread repaints only when something
    // moved. Read it before the entries: what it covers is then visible.
    std::uint64_t GetVersion() const { return m_version.load(std::memory_order_acquire); }
    // One past the last entry judged since the last Allocate or Reset; every entry from here
    // on is not judged, so neither painting nor Reset need touch the untouched pages.
    std::size_t GetJudgedEnd() const { return m_judgedEnd.load(std::memory_order_acquire); }

private:
    struct Free {
        std::size_t bytes;   // of the mapping
        void operator()(std::uint8_t* p) const;
    };
    std::atomic_ref<std::uint8_t> At(std::size_t entry) const {
        return std::atomic_ref<std::uint8_t>(m_states.get()[entry]);
    }

    void Publish();

    std::unique_ptr<std::uint8_t[], Free> m_states;
    std::size_t m_nEntries = 0;
    std::uint32_t m_nExtra = 0;
    std::atomic<std::size_t> m_judgedEnd{0};
    std::atomic<std::uint64_t> m_version{0};   // never goes back, not even on Allocate
};

}  // namespace tvx

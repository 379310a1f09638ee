#include "analysis/strip_states.h"

#include <sys/mman.h>

namespace tvx {

void StripStates::Free::operator()(std::uint8_t* p) const { ::munmap(p, bytes); }

bool StripStates::Allocate(std::uint32_t count, std::uint32_t extra) {
    m_nExtra = extra;
    m_states.reset();
    m_nEntries = 0;
    const std::size_t entries = std::size_t{count} + extra;
    const std::size_t bytes = entries == 0 ? 1 : entries;
    // Zeroed pages straight from the system, reserved without being counted against memory:
    // a header stating 2^32 blocks must not fail on a small machine, nor cost what it states.
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        return false;
    m_states = std::unique_ptr<std::uint8_t[], Free>(static_cast<std::uint8_t*>(p), Free{bytes});
    m_nEntries = entries;
    return true;
}

void StripStates::Reset() {
    if (!m_states)
        return;
    // The pages go back to the system, which hands them out zeroed (not judged) again: a
    // loop would make every byte of a huge strip resident.
    if (::madvise(m_states.get(), m_states.get_deleter().bytes, MADV_DONTNEED) == 0)
        return;
    for (std::size_t i = 0; i < m_nEntries; ++i)
        At(i).store(kNotJudged, std::memory_order_relaxed);
}

std::uint8_t StripStates::SetBlock(std::int32_t index, std::uint8_t state) {
    const std::int64_t entry = std::int64_t{index} + m_nExtra;
    if (entry < 0 || entry >= static_cast<std::int64_t>(m_nEntries) || state >= 4)
        return kRefused;
    // One writer at a time (the reader's worker): no locked exchange needed per block.
    const auto cell = At(static_cast<std::size_t>(entry));
    const std::uint8_t previous = cell.load(std::memory_order_relaxed);
    if (previous != state)
        cell.store(state, std::memory_order_relaxed);
    return previous;
}

std::uint8_t StripStates::GetEntry(std::size_t entry) const {
    return entry < m_nEntries ? At(entry).load(std::memory_order_relaxed) : kNotJudged;
}

}  // namespace tvx

#include "analysis/strip_states.h"

#include <cstdlib>

namespace tvx {

void StripStates::Free::operator()(std::uint8_t* p) const { std::free(p); }

bool StripStates::Allocate(std::uint32_t count, std::uint32_t extra) {
    m_nExtra = extra;
    m_states.reset();
    m_nEntries = 0;
    const std::size_t entries = std::size_t{count} + extra;
    m_states.reset(static_cast<std::uint8_t*>(std::calloc(entries == 0 ? 1 : entries, 1)));
    if (!m_states)
        return false;
    m_nEntries = entries;
    return true;
}

void StripStates::Reset() {
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

#include "analysis/strip_states.h"

#include <new>

namespace tvx {

bool StripStates::Allocate(std::uint32_t count, std::uint32_t extra) {
    m_nExtra = extra;
    m_states.reset();
    m_nEntries = 0;
    const std::size_t entries = std::size_t{count} + extra;
    // Value-initialised atomics start at 0, "not judged".
    m_states.reset(new (std::nothrow) std::atomic<std::uint8_t>[entries]());
    if (!m_states)
        return false;
    m_nEntries = entries;
    return true;
}

void StripStates::Reset() {
    for (std::size_t i = 0; i < m_nEntries; ++i)
        m_states[i].store(kNotJudged, std::memory_order_relaxed);
}

std::uint8_t StripStates::SetBlock(std::int32_t index, std::uint8_t state) {
    const std::int64_t entry = std::int64_t{index} + m_nExtra;
    if (entry < 0 || entry >= static_cast<std::int64_t>(m_nEntries) || state >= 4)
        return kRefused;
    return m_states[static_cast<std::size_t>(entry)].exchange(state, std::memory_order_relaxed);
}

std::uint8_t StripStates::GetEntry(std::size_t entry) const {
    return entry < m_nEntries ? m_states[entry].load(std::memory_order_relaxed) : kNotJudged;
}

}  // namespace tvx

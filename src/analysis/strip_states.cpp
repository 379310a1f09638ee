#include "analysis/strip_states.h"

#include <cstdlib>

namespace tvx {

void StripStates::Free::operator()(std::uint8_t* p) const { std::free(p); }

// One writer at a time (the worker while it runs, else the window), so a plain load and
// store bump the version; release makes the entries stored before it visible with it.
void StripStates::Publish() {
    m_version.store(m_version.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

bool StripStates::Allocate(std::uint32_t count, std::uint32_t extra) {
    m_nExtra = extra;
    m_states.reset();
    m_nEntries = 0;
    m_judgedEnd.store(0, std::memory_order_relaxed);
    Publish();
    const std::size_t entries = std::size_t{count} + extra;
    m_states.reset(static_cast<std::uint8_t*>(std::calloc(entries == 0 ? 1 : entries, 1)));
    if (!m_states)
        return false;
    m_nEntries = entries;
    Publish();
    return true;
}

void StripStates::Reset() {
    const std::size_t end = m_judgedEnd.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < end; ++i)
        At(i).store(kNotJudged, std::memory_order_relaxed);
    m_judgedEnd.store(0, std::memory_order_relaxed);
    Publish();
}

std::uint8_t StripStates::SetBlock(std::int32_t index, std::uint8_t state) {
    const std::int64_t entry = std::int64_t{index} + m_nExtra;
    if (entry < 0 || entry >= static_cast<std::int64_t>(m_nEntries) || state >= 4)
        return kRefused;
    // One writer at a time (the reader's worker): no locked exchange needed per block.
    const auto cell = At(static_cast<std::size_t>(entry));
    const std::uint8_t previous = cell.load(std::memory_order_relaxed);
    if (previous == state)
        return previous;
    cell.store(state, std::memory_order_relaxed);
    const auto next = static_cast<std::size_t>(entry) + 1;
    if (next > m_judgedEnd.load(std::memory_order_relaxed))
        m_judgedEnd.store(next, std::memory_order_relaxed);
    Publish();
    return previous;
}

std::uint8_t StripStates::GetEntry(std::size_t entry) const {
    return entry < m_nEntries ? At(entry).load(std::memory_order_relaxed) : kNotJudged;
}

}  // namespace tvx

#include "analysis/strip_states.h"

#include <algorithm>

#include <sys/mman.h>

namespace tvx {

void StripStates::Free::operator()(std::uint8_t* p) const { ::munmap(p, bytes); }

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
    const std::size_t bytes = entries == 0 ? 1 : entries;
    // Zeroed pages straight from the system, reserved without being counted against memory:
    // a header stating 2^32 blocks must not fail on a small machine, nor cost what it states.
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        return false;
    m_states = std::unique_ptr<std::uint8_t[], Free>(static_cast<std::uint8_t*>(p), Free{bytes});
    m_nEntries = entries;
    Publish();
    return true;
}

void StripStates::Reset() {
    const std::size_t end = m_judgedEnd.load(std::memory_order_relaxed);
    // A few judged entries are cleared in place. Many go back to the system, which hands the
    // pages out zeroed (not judged) again: a loop would make a huge strip resident.
    constexpr std::size_t kClearInPlace = std::size_t{1} << 20;
    const bool released = end > kClearInPlace &&
                          ::madvise(m_states.get(), m_states.get_deleter().bytes,
                                    MADV_DONTNEED) == 0;
    for (std::size_t i = 0; !released && i < end; ++i)
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

std::uint8_t StripStates::StatesIn(std::size_t first, std::size_t last) const {
    last = std::min(last, m_nEntries);
    const auto bit = [this](std::size_t e) {
        return 1u << (At(e).load(std::memory_order_relaxed) & 7);
    };
    // Four independent chains keep the loads, not the ORs, the limit.
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::size_t e = first;
    for (; e + 4 <= last; e += 4) {
        a |= bit(e);
        b |= bit(e + 1);
        c |= bit(e + 2);
        d |= bit(e + 3);
    }
    for (; e < last; ++e)
        a |= bit(e);
    return static_cast<std::uint8_t>(a | b | c | d);
}

}  // namespace tvx

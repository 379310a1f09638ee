#pragma once

#include "analysis/strip_states.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tvx {

// A cell drawn for a column that mixes authentic and not yet judged entries.
inline constexpr std::uint8_t kMixedCell = 4;

// The colour rule of a cell over several entries: red if any is irregular, olive if some are
// authentic and some not judged, green if all are authentic, grey if none has been judged.
// Walked in order the rule starts from the first judged entry, turns authentic into
// irregular on an irregular one and either into 1 on a 1; so the order never matters and a
// set of the states seen decides it, which keeps the walk over millions of records cheap.
class ColumnRule {
public:
    void Add(std::uint8_t state) { m_seen |= static_cast<std::uint8_t>(1u << (state & 3)); }
    // Several entries at once: bit s set when one of them holds state s.
    void AddSeen(std::uint8_t seen) { m_seen |= seen; }
    std::uint8_t Cell() const {
        const std::uint8_t running = (m_seen & 0b0010)   ? 1
                                     : (m_seen & 0b1000) ? 3
                                     : (m_seen & 0b0100) ? 2
                                                         : 0;
        const bool anyNotJudged = m_seen & 0b0001;
        return (running != 0 && running != 3 && anyNotJudged) ? kMixedCell : running;
    }

private:
    std::uint8_t m_seen = 0;   // bit s: some entry has state s
};

// One cell: columns [left, left + width) of the strip's client area, and its state.
struct StripCell {
    int left = 0;
    int width = 0;
    std::uint8_t state = 0;
};

// The strip has `usable` columns between a one-pixel margin on each side. Fewer entries than
// columns: each entry its own cell, `usable / entries` pixels wide. Otherwise one cell per
// column, entry e in column floor(e x usable / entries).
int CellOfEntry(std::size_t entry, std::size_t entries, int usable);
StripCell CellGeometry(int cell, std::size_t entries, int usable);

// The entries [first, last) that fall into a cell.
struct EntryRange {
    std::size_t first = 0;
    std::size_t last = 0;
};
EntryRange EntriesOfCell(int cell, std::size_t entries, int usable);

// The cell under column x of the strip's client area, or -1 outside every cell.
int CellAtX(int x, std::size_t entries, int usable);

// The colour rule over the entries of a range; entries from judgedEnd on are known not judged.
template <typename StatesIn>
std::uint8_t StateOfRange(EntryRange range, std::size_t judgedEnd, StatesIn statesIn) {
    ColumnRule rule;
    if (range.first < judgedEnd)
        rule.AddSeen(statesIn(range.first, std::min(range.last, judgedEnd)));
    if (range.last > judgedEnd)
        rule.Add(StripStates::kNotJudged);   // the rest were never touched
    return rule.Cell();
}

// Every cell with its state. statesIn(first, last) answers which states occur among those
// entries (bit s for state s); entries from judgedEnd on are known not judged and not asked.
template <typename StatesIn>
std::vector<StripCell> LayoutStripWith(std::size_t entries, std::size_t judgedEnd, int usable,
                                       StatesIn statesIn) {
    std::vector<StripCell> cells;
    if (usable <= 0 || entries == 0)
        return cells;
    const int count = entries < static_cast<std::size_t>(usable) ? static_cast<int>(entries)
                                                                 : usable;
    cells.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        StripCell cell = CellGeometry(k, entries, usable);
        cell.state = StateOfRange(EntriesOfCell(k, entries, usable), judgedEnd, statesIn);
        cells.push_back(cell);
    }
    return cells;
}

inline std::vector<StripCell> LayoutStrip(std::span<const std::uint8_t> states, int usable) {
    return LayoutStripWith(states.size(), states.size(), usable,
                           [states](std::size_t first, std::size_t last) {
                               unsigned mask = 0;
                               for (std::size_t e = first; e < last; ++e)
                                   mask |= 1u << (states[e] & 3);
                               return static_cast<std::uint8_t>(mask);
                           });
}

// Read the version before calling: whatever it covers is in the cells.
inline std::vector<StripCell> LayoutStrip(const StripStates& states, int usable) {
    return LayoutStripWith(states.GetEntries(), states.GetJudgedEnd(), usable,
                           [&states](std::size_t first, std::size_t last) {
                               return states.StatesIn(first, last);
                           });
}

}  // namespace tvx

#pragma once

#include "analysis/strip_states.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tvx {

// A cell drawn for a column that mixes authentic and not yet judged entries.
inline constexpr std::uint8_t kMixedCell = 4;

// The colour rule of a cell over several entries, fed in order: red if any is irregular,
// olive if some are authentic and some not judged, green if all are authentic, grey if none
// has been judged.
class ColumnRule {
public:
    void Add(std::uint8_t state) {
        if (m_running == 0) {   // the first entry, or nothing judged so far
            m_running = state;
        } else if (m_running == 2) {
            if (state == 3 || state == 1)
                m_running = state;
        } else if (m_running == 3 && state == 1) {
            m_running = 1;
        }
        if (state == 0)
            m_anyNotJudged = true;
    }
    std::uint8_t Cell() const {
        return (m_running != 0 && m_running != 3 && m_anyNotJudged) ? kMixedCell : m_running;
    }

private:
    std::uint8_t m_running = 0;
    bool m_anyNotJudged = false;
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

// Every cell with its state, from `entries` states read through stateAt(e). Entries from
// judgedEnd on are known not judged and are not read.
template <typename StateAt>
std::vector<StripCell> LayoutStripWith(std::size_t entries, std::size_t judgedEnd, int usable,
                                       StateAt stateAt) {
    std::vector<StripCell> cells;
    if (usable <= 0 || entries == 0)
        return cells;
    const int count = entries < static_cast<std::size_t>(usable) ? static_cast<int>(entries)
                                                                 : usable;
    cells.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        StripCell cell = CellGeometry(k, entries, usable);
        const EntryRange range = EntriesOfCell(k, entries, usable);
        ColumnRule rule;
        std::size_t e = range.first;
        for (; e < range.last && e < judgedEnd; ++e)
            rule.Add(stateAt(e));
        if (e < range.last)
            rule.Add(StripStates::kNotJudged);   // the rest were never touched
        cell.state = rule.Cell();
        cells.push_back(cell);
    }
    return cells;
}

inline std::vector<StripCell> LayoutStrip(std::span<const std::uint8_t> states, int usable) {
    return LayoutStripWith(states.size(), states.size(), usable,
                           [states](std::size_t e) { return states[e]; });
}

// Read the version before calling: whatever it covers is in the cells.
inline std::vector<StripCell> LayoutStrip(const StripStates& states, int usable) {
    return LayoutStripWith(states.GetEntries(), states.GetJudgedEnd(), usable,
                           [&states](std::size_t e) { return states.GetEntry(e); });
}

}  // namespace tvx

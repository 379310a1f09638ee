#include "controls/strip_layout.h"

#include <algorithm>
#include <cmath>

namespace tvx {
namespace {

bool OneCellPerEntry(std::size_t entries, int usable) {
    return entries < static_cast<std::size_t>(usable);
}

std::size_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return static_cast<std::size_t>((a + b - 1) / b);
}

}  // namespace

int CellOfEntry(std::size_t entry, std::size_t entries, int usable) {
    if (OneCellPerEntry(entries, usable))
        return static_cast<int>(entry);
    // Whole numbers: a column boundary that falls exactly on an entry is never lost to rounding.
    return static_cast<int>(std::uint64_t{entry} * static_cast<std::uint64_t>(usable) / entries);
}

StripCell CellGeometry(int cell, std::size_t entries, int usable) {
    const double p = OneCellPerEntry(entries, usable)
                         ? static_cast<double>(usable) / static_cast<double>(entries)
                         : 1.0;
    const int left = static_cast<int>(std::trunc(cell * p)) + 1;
    const int right = static_cast<int>(std::trunc((cell + 1) * p)) + 1;
    return {left, right - left, 0};
}

int CellAtX(int x, std::size_t entries, int usable) {
    if (entries == 0 || usable <= 0 || x < 1 || x > usable)
        return -1;
    const int count = OneCellPerEntry(entries, usable) ? static_cast<int>(entries) : usable;
    // The cells' edges are truncated multiples of their width: start from the estimate and
    // step to the cell that holds x.
    int cell = std::clamp(static_cast<int>(static_cast<double>(x - 1) * count / usable), 0, count - 1);
    while (cell > 0 && x < CellGeometry(cell, entries, usable).left)
        --cell;
    while (cell + 1 < count && x >= CellGeometry(cell + 1, entries, usable).left)
        ++cell;
    return cell;
}

EntryRange EntriesOfCell(int cell, std::size_t entries, int usable) {
    if (OneCellPerEntry(entries, usable))
        return {static_cast<std::size_t>(cell), static_cast<std::size_t>(cell) + 1};
    const auto c = static_cast<std::uint64_t>(usable);
    const auto k = static_cast<std::uint64_t>(cell);
    return {CeilDiv(k * entries, c), CeilDiv((k + 1) * entries, c)};
}

}  // namespace tvx

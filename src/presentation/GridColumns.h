// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntrySort.h"
#include "analysis/EntryTree.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace tallyvane {

// The result grid's seven columns, known everywhere by their index, which stays the same when
// the user moves a column.
enum GridColumn : int {
    ColumnName = 0,
    ColumnBytes = 1,
    ColumnSize = 2,
    ColumnShareInFolder = 3,
    ColumnShareInFolderBar = 4,
    ColumnShareOfTotal = 5,
    ColumnShareOfTotalBar = 6,
};
inline constexpr int GridColumnCount = 7;
inline constexpr int NoColumn = -1;
// The columns after the name, which the user may hide.
inline constexpr int OptionalColumnCount = GridColumnCount - 1;

// The grid's metrics in pixels, which the reports repeat.
inline constexpr int GridRowHeight = 18;
inline constexpr int GridHeaderHeight = 17;

enum class Alignment { Left, Right };

struct ColumnSpec {
    const char* caption; // UTF-8
    int width;           // pixels
    Alignment alignment;
    bool resizable;
};

// Captions, default widths and alignments, by column index.
const std::array<ColumnSpec, GridColumnCount>& GridColumns();

// The text a cell shows. A row without an entry (NoEntry) and any column outside 0..6 are
// empty; so are the two bar columns.
QString CellText(const EntryTree& tree, EntryId entry, int column);

// The entry's path as the status panel shows it: without the separator that follows every
// folder's name, but for the root of the file system.
QString EntryPathText(const EntryTree& tree, EntryId entry);

// The path and the size text, for the status panel while the pointer is over a treemap tile.
QString EntryStatusText(const EntryTree& tree, EntryId entry);

struct SortState {
    int column = ColumnBytes;
    SortDirection direction = SortDirection::Descending;
    bool operator==(const SortState&) const = default;
};

// What sorting by column sorts by: the name column by name, the two size columns by size, the
// share columns and NoColumn by nothing.
SortKey SortKeyOf(int column);

// The sort state after a click on the header at clickedColumn (NoColumn: off the columns).
// Columns 3 to 6 do not sort; the size text column sorts by size; every other click flips
// the direction, also one that changes the column.
SortState SortAfterHeaderClick(SortState current, int clickedColumn);

struct Rgb {
    std::uint8_t red, green, blue;
    bool operator==(const Rgb&) const = default;
};

// The share-in-folder bar colour of an entry at level (1 or more). Levels that are multiples
// of 20 get dark grey (64, 64, 64), a colour the 19-colour cycle does not use.
Rgb BarColors(int level);

inline constexpr Rgb TotalBarColor{255, 0, 0};

struct Rect {
    int left, top, right, bottom;
    bool operator==(const Rect&) const = default;
};

struct ShareBar {
    Rgb color;
    Rect rect; // right and bottom edges excluded; may be empty
};

// The bar drawn in cell (column 4 or 6) of entry, inside a cell rectangle; none where the cell
// has no bar at all (other columns, no entry, the root entry).
std::optional<ShareBar> ShareBarFor(const EntryTree& tree, EntryId entry, int column, Rect cell);

} // namespace tallyvane

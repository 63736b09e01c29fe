// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

namespace tallyvane {

enum class SortKey { None, Name, Size };
enum class SortDirection { Ascending, Descending };

// Compares two entries by name (byte by byte, 'a'..'z' taken as upper case) or by size;
// negative, zero or positive. SortKey::None and NoEntry compare equal.
int CompareEntries(const EntryTree& tree, EntryId first, EntryId second, SortKey key);

// Sorts every folder's children by key, stably: entries that compare equal keep their order;
// with SortKey::None nothing moves. With depthLimit 0 or more, only the entries up to that many
// levels below the top-level entries are put in order; those further down keep theirs.
void SortEntries(EntryTree& tree, SortKey key, SortDirection direction, int depthLimit = -1);

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

#include <QColor>

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallyvane {

// A file's type is the part of its name after the last dot, ASCII letters lower-cased; a name
// without a dot, or with its only dot in front (".profile"), has the empty type.
std::string FileType(std::string_view name);

// A number standing for the type of name, the same for every name of that type; made without
// allocating, as the treemap asks it once per file.
std::uint64_t FileTypeKey(std::string_view name);

// The colour of a type: one of a small palette, always the same for the same type.
QColor FileTypeColour(std::uint64_t typeKey);

// The colour of the area a folder keeps to itself: its own size beyond its children's and the
// files too small to draw. Grey, so it never passes for a type.
QColor RemainderColour();

struct FileTypeShare {
    std::string type;
    std::int64_t bytes;
    QColor colour;
};

// The count types with the most bytes among the files below root (NoEntry: the whole tree),
// largest first, ties by type; empty when cancelled went true on the way.
std::vector<FileTypeShare> LargestFileTypes(const EntryTree& tree, EntryId root, std::size_t count,
                                            const std::atomic_bool* cancelled = nullptr);

} // namespace tallyvane

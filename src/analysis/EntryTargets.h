// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

#include <string>
#include <string_view>

namespace tallyvane {

// The folder part of a path: up to its last separator, which is dropped unless it is the
// first character or follows another separator, so "/data/Sub/" gives "/data/Sub",
// "/data/a.txt" gives "/data", and "/" and "/a.txt" both give "/".
std::string FolderPart(std::string_view path);

// What the pop-up menu's commands hand to the desktop for an entry, as file-system paths.
struct EntryTargets {
    std::string explorerFolder; // shown in the file manager: the folder, or a file's folder
    std::string openPath;       // opened: the folder (in the file manager) or the file
    std::string searchFolder;   // searched: the folder, or a file's folder, with a separator
    std::string propertiesPath; // the folder, with a separator, or the file
};

EntryTargets TargetsOf(const EntryTree& tree, EntryId entry);

// The largest file at any depth below entry, in the tree's current order: of files of equal
// size the first one wins, folders never do, and files of 0 bytes don't count. NoEntry when
// there is none.
EntryId LargestFileBelow(const EntryTree& tree, EntryId entry);

} // namespace tallyvane

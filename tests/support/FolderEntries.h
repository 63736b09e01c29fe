// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tallyvane::test {

struct FolderChild {
    std::string name;
    std::int64_t size;
    std::uint32_t attributes = 0; // a plain file unless told
};

// A top-level folder "/data" of the given total holding children in the given order. The
// total is taken as given, not summed, so a test can make it disagree with the children.
EntryId AddFolder(EntryTree& tree, std::int64_t total, const std::vector<FolderChild>& children);

// count files of the same size, named part0, part1, ...
std::vector<FolderChild> EqualChildren(int count, std::int64_t size);

} // namespace tallyvane::test

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

#include <string>

namespace tallyvane::test {

// The tree in one line, in its current order: "name=size" per entry, a folder's children in
// braces after it, siblings separated by commas, e.g. "/data=5{a=2,b=3{}}". Folders are told
// apart from files by their braces.
std::string TreeOutline(const EntryTree& tree);

// Fails the running test for every folder whose size is not the sum of its children's.
void ExpectSizesAddUp(const EntryTree& tree);

} // namespace tallyvane::test

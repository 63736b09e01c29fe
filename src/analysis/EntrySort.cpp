// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/EntrySort.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace tallyvane {
namespace {

int compareNames(std::string_view first, std::string_view second)
{
    const auto mapped = [](std::string_view name, std::size_t i) -> int {
        // Past the end stands the terminating zero, which takes part in the comparison.
        if (i >= name.size())
            return 0;
        const auto byte = static_cast<unsigned char>(name[i]);
        return (byte >= 'a' && byte <= 'z') ? byte - ('a' - 'A') : byte;
    };
    const std::size_t length = std::max(first.size(), second.size());
    for (std::size_t i = 0; i <= length; ++i) {
        const int a = mapped(first, i);
        const int b = mapped(second, i);
        if (a != b)
            return a - b;
    }
    return 0;
}

// What CompareEntries tells of two entries that are both there. The sort calls it with a
// constant key, so that it inlines to a single comparison of names or of sizes.
int compareFields(const EntryTree& tree, EntryId first, EntryId second, SortKey key)
{
    switch (key) {
    case SortKey::Name:
        return compareNames(tree.name(first), tree.name(second));
    case SortKey::Size: {
        const std::int64_t a = tree.size(first);
        const std::int64_t b = tree.size(second);
        return a < b ? -1 : a > b;
    }
    default:
        return 0;
    }
}

} // namespace

int CompareEntries(const EntryTree& tree, EntryId first, EntryId second, SortKey key)
{
    if (first == NoEntry || second == NoEntry)
        return 0;
    return compareFields(tree, first, second, key);
}

void SortEntries(EntryTree& tree, SortKey key, SortDirection direction, int depthLimit)
{
    if (key == SortKey::None)
        return;
    const auto sortWith = [&tree, depthLimit](auto comesBefore) {
        if (depthLimit < 0) {
            tree.sortChildren(comesBefore);
            return;
        }
        // Level by level from the top: the folders whose children are depthLimit or fewer
        // levels below the top-level entries.
        std::vector<EntryId> folders{NoEntry};
        for (int level = -1; !folders.empty(); ++level) {
            std::vector<EntryId> below;
            for (const EntryId folder : folders) {
                tree.sortChildrenOf(folder, comesBefore);
                if (level + 1 >= depthLimit)
                    continue;
                for (std::uint32_t row = 0; row < tree.childCount(folder); ++row) {
                    const EntryId child = tree.childAt(folder, row);
                    if (tree.childCount(child) > 1)
                        below.push_back(child);
                }
            }
            folders = std::move(below);
        }
    };
    // Ascending, a later entry moves before an earlier one only when the earlier compares
    // greater; descending, only when it compares less. One comparator per key and direction, so
    // that both are constants where the comparison inlines.
    const bool ascending = direction == SortDirection::Ascending;
    if (key == SortKey::Size && ascending)
        sortWith([&tree](EntryId a, EntryId b) { return compareFields(tree, a, b, SortKey::Size) < 0; });
    else if (key == SortKey::Size)
        sortWith([&tree](EntryId a, EntryId b) { return compareFields(tree, b, a, SortKey::Size) < 0; });
    else if (ascending)
        sortWith([&tree](EntryId a, EntryId b) { return compareFields(tree, a, b, SortKey::Name) < 0; });
    else
        sortWith([&tree](EntryId a, EntryId b) { return compareFields(tree, b, a, SortKey::Name) < 0; });
}

} // namespace tallyvane

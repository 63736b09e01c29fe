// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TreeOutline.h"

#include "analysis/PreOrderWalk.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tallyvane::test {

std::string TreeOutline(const EntryTree& tree)
{
    std::string outline;
    int previousLevel = -1;
    // Folders still open on the way down, by level: each needs its closing brace.
    std::vector<bool> open;
    for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next()) {
        const int level = walk.level();
        while (previousLevel >= level) {
            if (open[static_cast<std::size_t>(previousLevel)])
                outline += '}';
            open.pop_back();
            --previousLevel;
        }
        if (!outline.empty() && outline.back() != '{')
            outline += ',';
        outline += std::string(tree.name(walk.entry())) + "=" + std::to_string(tree.size(walk.entry()));
        const bool folder = tree.isFolder(walk.entry());
        if (folder)
            outline += '{';
        open.push_back(folder);
        previousLevel = level;
    }
    for (; previousLevel >= 0; --previousLevel) {
        if (open[static_cast<std::size_t>(previousLevel)])
            outline += '}';
    }
    return outline;
}

void ExpectSizesAddUp(const EntryTree& tree)
{
    for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next()) {
        const EntryId entry = walk.entry();
        if (!tree.isFolder(entry))
            continue;
        std::int64_t sum = 0;
        for (EntryId child = tree.FirstChildEntry(entry); child != NoEntry; child = tree.NextSiblingEntry(child))
            sum += tree.size(child);
        EXPECT_EQ(tree.size(entry), sum) << tree.EntryPath(entry);
    }
}

} // namespace tallyvane::test

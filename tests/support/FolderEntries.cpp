// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FolderEntries.h"

#include "platform/FileAttributes.h"

namespace tallyvane::test {

EntryId AddFolder(EntryTree& tree, std::int64_t total, const std::vector<FolderChild>& children)
{
    const EntryId folder = tree.addEntry(NoEntry, Attribute::Directory, total, "/data");
    for (const FolderChild& child : children)
        tree.addEntry(folder, child.attributes, child.size, child.name);
    return folder;
}

std::vector<FolderChild> EqualChildren(int count, std::int64_t size)
{
    std::vector<FolderChild> children;
    for (int i = 0; i < count; ++i)
        children.push_back({"part" + std::to_string(i), size});
    return children;
}

} // namespace tallyvane::test

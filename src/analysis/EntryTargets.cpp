// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/EntryTargets.h"

#include "platform/PathSeparator.h"

namespace tallyvane {

std::string FolderPart(std::string_view path)
{
    const std::size_t last = path.rfind(PathSeparator);
    if (last == std::string_view::npos)
        return {};
    std::size_t length = last + 1;
    if (last > 0 && path[last - 1] != PathSeparator)
        --length;
    return std::string(path.substr(0, length));
}

EntryTargets TargetsOf(const EntryTree& tree, EntryId entry)
{
    // Every name in an entry path is followed by a separator; a file's own path lacks the last.
    const std::string path = tree.EntryPath(entry);
    if (tree.isFolder(entry)) {
        const std::string folder = FolderPart(path);
        return {folder, folder, path, path};
    }
    const std::string file = path.substr(0, path.size() - 1);
    const std::string folder = file.substr(0, file.rfind(PathSeparator) + 1);
    return {FolderPart(file), file, folder, file};
}

EntryId LargestFileBelow(const EntryTree& tree, EntryId entry)
{
    if (entry == NoEntry)
        return NoEntry;
    EntryId best = NoEntry;
    std::int64_t bestSize = 0;
    for (EntryId e = tree.FirstChildEntry(entry); e != NoEntry; e = tree.NextEntryWithin(e, entry)) {
        if (!tree.isFolder(e) && tree.size(e) > bestSize) {
            best = e;
            bestSize = tree.size(e);
        }
    }
    return best;
}

} // namespace tallyvane

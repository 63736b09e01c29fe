// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/FolderScan.h"

#include "analysis/SizeSum.h"
#include "platform/PathSeparator.h"

#include <memory>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

bool isDotOrDotDot(std::string_view name)
{
    return name == "." || name == "..";
}

std::string_view rootName(std::string_view path)
{
    if (path.size() > 1 && path.back() == PathSeparator)
        path.remove_suffix(1);
    return path;
}

} // namespace

FolderScanner::FolderScanner(EntryTree& tree, FileSystem& fileSystem, ScanHost& host)
    : m_tree(tree), m_fileSystem(fileSystem), m_host(host)
{
}

std::int64_t FolderScanner::ScanFolder(std::string_view path, EntryId parent)
{
    const bool makesRoot = parent == NoEntry;
    const EntryId top = makesRoot ? m_tree.addEntry(NoEntry, Attribute::Directory, 0, rootName(path))
                                  : parent;

    // One level per open folder; the walk keeps its own stack, so no depth of folders can
    // exhaust the call stack.
    struct Level {
        std::unique_ptr<FolderListing> listing;
        EntryId folder;
        std::int64_t total;
    };
    std::vector<Level> levels;
    m_host.folderEntered(m_tree, top);
    levels.push_back({m_fileSystem.openFolder(std::string(path)), top, 0});

    std::int64_t total = 0;
    FolderItem item;
    while (!levels.empty()) {
        Level& level = levels.back();
        bool descends = false;
        while (level.listing->next(item)) {
            m_host.pumpMessages();
            if (m_host.stopRequested())
                break;
            if (isDotOrDotDot(item.name))
                continue;
            const EntryId child = m_tree.addEntry(level.folder, item.attributes, item.size, item.name);
            m_host.entryCounted(++m_scanCount);
            if (item.attributes & Attribute::Directory) {
                m_host.folderEntered(m_tree, child);
                auto listing = level.listing->openItem();
                levels.push_back({std::move(listing), child, 0});
                descends = true;
                break;
            }
            level.total = AddSizes(level.total, item.size);
        }
        if (descends)
            continue;

        // This folder is finished, completely or up to a stop: its total replaces the size the
        // listing reported for it and counts into its parent's.
        const EntryId folder = level.folder;
        total = level.total;
        levels.pop_back();
        if (!levels.empty()) {
            m_tree.setSize(folder, total);
            levels.back().total = AddSizes(levels.back().total, total);
        }
    }
    if (makesRoot)
        m_tree.setSize(top, total);
    m_host.scanFinished();
    return total;
}

} // namespace tallyvane

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

FolderScanner::FolderScanner(EntryTree& tree, FileSystem& fileSystem, ScanHost& host, const ScanOptions& options)
    : m_tree(tree), m_fileSystem(fileSystem), m_host(host), m_options(options), m_exclude(options.exclude)
{
}

std::size_t FolderScanner::LinkKeyHash::operator()(const LinkKey& key) const noexcept
{
    return std::hash<std::uint64_t>{}(key.inode * 0x9E3779B97F4A7C15u ^ key.device);
}

std::uint32_t FolderScanner::markOf(const FolderItem& item, const std::string& relativeFolder)
{
    const bool folder = item.attributes & Attribute::Directory;
    if (!m_exclude.empty()) {
        if (m_exclude.needsPaths()) {
            m_path.assign(relativeFolder);
            m_path.append(item.name);
        }
        if (m_exclude.excludes(item.name, m_path, folder))
            return Attribute::Excluded;
    }
    // A device of 0 is one the listing did not tell.
    if (folder && m_device != 0 && item.device != 0 && item.device != m_device)
        return Attribute::OtherFileSystem;
    if (!folder && m_options.countLinksOnce && item.links > 1 && !m_linksMet.insert({item.device, item.inode}).second)
        return Attribute::LinkCountedElsewhere;
    return 0;
}

bool FolderScanner::markedUnreadable(EntryId folder, const FolderListing& listing)
{
    const int error = listing.openError();
    if (error == 0)
        return false;
    m_tree.addMarks(folder, Attribute::Unreadable);
    m_tree.setSize(folder, 0);
    if (m_unreadable.count++ == 0) {
        m_unreadable.firstPath = m_tree.EntryPath(folder);
        m_unreadable.firstError = error;
    }
    return true;
}

std::int64_t FolderScanner::ScanFolder(std::string_view path, EntryId parent)
{
    const bool makesRoot = parent == NoEntry;
    const EntryId top = makesRoot ? m_tree.addEntry(NoEntry, Attribute::Directory, 0, rootName(path)) : parent;

    // One level per open folder; the walk keeps its own stack, so no depth of folders can
    // exhaust the call stack.
    struct Level {
        std::unique_ptr<FolderListing> listing;
        EntryId folder;
        std::int64_t total;
        std::string relativePath; // below the scanned folder, with a trailing separator unless empty
    };
    std::vector<Level> levels;
    // A failure (memory running out) closes the listings innermost first, the only order
    // listings may be closed in; the vector alone would destroy them outermost first.
    struct CloseInnermostFirst {
        std::vector<Level>& levels;
        ~CloseInnermostFirst()
        {
            while (!levels.empty())
                levels.pop_back();
        }
    } closeOnFailure{levels};
    if (m_options.oneFileSystem)
        m_device = m_fileSystem.volumeOf(std::string(path)).device;
    m_host.folderEntered(m_tree, top);
    levels.push_back(
        {m_fileSystem.openFolder(std::string(path), {.oneFileSystem = m_options.oneFileSystem}), top, 0, {}});
    markedUnreadable(top, *levels.back().listing);

    std::int64_t total = 0;
    FolderItem item;
    while (!levels.empty()) {
        Level& level = levels.back();
        bool descends = false;
        while (level.listing->next(item)) {
            m_host.recordFetched();
            if (m_host.stopRequested())
                break;
            if (isDotOrDotDot(item.name))
                continue;
            const std::uint32_t mark = markOf(item, level.relativePath);
            const std::int64_t size = mark ? 0 : item.size;
            const EntryId child = m_tree.addEntry(level.folder, item.attributes | mark, size, item.name);
            if (m_options.countLinksOnce && item.links > 1 && !(item.attributes & Attribute::Directory)
                && !(mark & Attribute::Excluded))
                m_tree.setLinkFacts(child, {item.device, item.inode, item.links, item.size});
            m_host.entryCounted(++m_scanCount);
            if ((item.attributes & Attribute::Directory) && !mark) {
                m_host.folderEntered(m_tree, child);
                auto listing = level.listing->openItem();
                if (markedUnreadable(child, *listing))
                    continue;
                std::string relativePath;
                if (m_exclude.needsPaths())
                    relativePath = level.relativePath + std::string(item.name) + PathSeparator;
                levels.push_back({std::move(listing), child, 0, std::move(relativePath)});
                descends = true;
                break;
            }
            level.total = AddSizes(level.total, size);
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

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "analysis/ExcludePatterns.h"
#include "analysis/ScanOptions.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

namespace tallyvane {

// What a scan needs of whoever runs it: the analysis run, or a tool or test that watches.
class ScanHost {
public:
    virtual ~ScanHost() = default;

    // Called once per record fetched, "." and ".." included, on the scan's thread; it must cost
    // next to nothing (the run takes its progress snapshot here when one was asked for).
    virtual void recordFetched() = 0;
    // Polled right after each record fetched: true once a stop was asked for.
    virtual bool stopRequested() const = 0;
    // A folder's listing is about to begin; its path is tree.EntryPath(folder). Building that
    // text is left to the host, which only needs it when it shows it.
    virtual void folderEntered(const EntryTree& tree, EntryId folder) = 0;
    // An entry was added; scanCount counts the entries added so far, the root entry not included.
    virtual void entryCounted(std::uint32_t scanCount) = 0;
    // The outermost folder is finished, completely or up to a stop.
    virtual void scanFinished() {}
};

// The folders a scan found but could not open, marked Attribute::Unreadable in the tree.
struct UnreadableFolders {
    std::uint32_t count = 0;
    std::string firstPath; // the first met, and why (its errno)
    int firstError = 0;
};

// A scan nobody watches and nobody stops: tools, benchmarks and tests.
class QuietScanHost final : public ScanHost {
public:
    void recordFetched() override {}
    bool stopRequested() const override { return false; }
    void folderEntered(const EntryTree&, EntryId) override {}
    void entryCounted(std::uint32_t) override {}
};

// Walks a folder and everything below it depth-first, in the file system's order, and adds one
// entry per file and folder to the tree. Each folder's size becomes the sum of its children's,
// stored on the way back up, so the sizes add up at every moment a folder is finished.
//
// On a stop request each open folder stops before adding the record just fetched, and every
// folder entered keeps the total of what was found in it: the caller can safely use the
// partial tree, whose folder sizes still add up.
//
// The options leave entries out without hiding them: an excluded entry, a folder on another
// file system and a further link of a file counted at its first link are added with size 0 and
// a mark in their attributes (Attribute::ScanMarks), and such folders are not entered. A
// folder that cannot be opened stays in the tree, empty and marked Attribute::Unreadable.
class FolderScanner {
public:
    FolderScanner(EntryTree& tree, FileSystem& fileSystem, ScanHost& host, const ScanOptions& options = {});

    // Scans the folder at path into the tree below parent, and returns its total size. With
    // parent NoEntry the scan first makes the root entry, a folder named path without its
    // trailing separator ("/" stays "/"), and stores the total in it.
    std::int64_t ScanFolder(std::string_view path, EntryId parent);

    // Entries added so far, the root entry not included.
    std::uint32_t ScanCount() const { return m_scanCount; }
    const UnreadableFolders& unreadableFolders() const { return m_unreadable; }

private:
    struct LinkKey {
        std::uint64_t device;
        std::uint64_t inode;
        bool operator==(const LinkKey&) const = default;
    };
    struct LinkKeyHash {
        std::size_t operator()(const LinkKey& key) const noexcept;
    };

    // The attributes and the size the record gets in the tree: its own, or 0 and a mark.
    // relativeFolder: the path below the scanned folder of the folder listing it, with a
    // trailing separator unless empty.
    std::uint32_t markOf(const FolderItem& item, const std::string& relativeFolder);
    // Marks the folder unreadable when its listing could not open it; true then.
    bool markedUnreadable(EntryId folder, const FolderListing& listing);

    EntryTree& m_tree;
    FileSystem& m_fileSystem;
    ScanHost& m_host;
    const ScanOptions m_options;
    ExcludePatterns m_exclude;
    std::uint64_t m_device = 0; // the scanned folder's, when the scan stays on its file system
    // Files with several links met so far; only their first link counts.
    std::unordered_set<LinkKey, LinkKeyHash> m_linksMet;
    std::string m_path; // scratch for an entry's path below the scanned folder
    std::uint32_t m_scanCount = 0;
    UnreadableFolders m_unreadable;
};

} // namespace tallyvane

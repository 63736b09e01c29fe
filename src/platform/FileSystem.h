// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tallyvane {

// One record of a folder listing: the fields an entry keeps.
struct FolderItem {
    std::uint32_t attributes = 0;
    std::int64_t size = 0; // the apparent length
    std::string_view name; // valid until the listing's next call to next()
    // The file's identity where the system tells it, else 0: the device it lives on, its inode
    // and its count of hard links. The scan needs them to stay on one file system and to
    // count a file with several links once.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint32_t links = 0;
};

// What a scan asks of its listings beyond the records.
struct ListingOptions {
    // A folder on another device than the folder opened is listed but not entered, not even
    // to read ahead: a slow network mount below the folder costs nothing.
    bool oneFileSystem = false;
};

// The file system that holds a folder, as far as a scan's progress needs it.
struct FolderVolume {
    std::uint64_t device = 0;
    bool fileSystemRoot = false;  // the folder is the top of its file system
    std::uint64_t usedInodes = 0; // the file system's files and folders; 0 when it does not tell
};

// One open folder, read in the order the file system gives. A folder that cannot be opened or
// read is an empty listing; one that could not be opened tells why in openError(). Closing
// (destroying) a listing ends its enumeration.
//
// A scan descends into a folder as soon as the folder's record has been delivered, so the
// listings of a scan are opened and closed strictly depth-first: openItem() is only called on
// the innermost open listing, and a listing is closed before the one it was opened from. An
// implementation may rely on that order, for instance to list folders ahead on other threads.
class FolderListing {
public:
    virtual ~FolderListing() = default;

    // The next record, "." and ".." included where the system delivers them; false at the end
    // of the folder and on any error.
    virtual bool next(FolderItem& item) = 0;

    // Opens the folder named by the record that next() delivered last.
    virtual std::unique_ptr<FolderListing> openItem() = 0;

    // The errno of a folder that exists but could not be opened (no permission, no descriptor
    // left, ...); 0 for a folder read, or one not to be entered (a link, another file system).
    virtual int openError() const { return 0; }
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Opens the folder at path for a scan.
    virtual std::unique_ptr<FolderListing> openFolder(const std::string& path, const ListingOptions& options) = 0;
    std::unique_ptr<FolderListing> openFolder(const std::string& path) { return openFolder(path, {}); }

    // The file system holding the folder at path (links followed); all zero when it cannot
    // be asked.
    virtual FolderVolume volumeOf(const std::string& path) = 0;

    // True when path names an existing folder (links followed).
    virtual bool isFolder(const std::string& path) = 0;
    // True when something exists at path (links followed).
    virtual bool exists(const std::string& path) = 0;
};

} // namespace tallyvane

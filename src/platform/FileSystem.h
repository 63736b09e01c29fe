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
};

// One open folder, read in the order the file system gives. A folder that cannot be opened or
// read is an empty listing: the reasons are not told apart. Closing (destroying) a listing
// ends its enumeration.
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
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Opens the folder at path for a scan.
    virtual std::unique_ptr<FolderListing> openFolder(const std::string& path) = 0;

    // True when path names an existing folder (links followed).
    virtual bool isFolder(const std::string& path) = 0;
    // True when something exists at path (links followed).
    virtual bool exists(const std::string& path) = 0;
};

} // namespace tallyvane

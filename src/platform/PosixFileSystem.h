// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"

#include <cstddef>

namespace tallyvane {

class ReadAheadWatcher;

// The most threads a user may ask to read the file system with.
inline constexpr unsigned MaxReadThreads = 256;

// How a PosixFileSystem reads folders.
struct FolderReading {
    // Threads that read the file system: 1 is the scan's own thread alone; N > 1 starts N
    // threads that list folders ahead of the scan; 0 picks automaticThreads().
    unsigned threads = 0;
    // Folders of a scan that may keep a descriptor open at once (at least 2), at most: each
    // scan keeps within what RLIMIT_NOFILE leaves it when it starts.
    std::size_t descriptorBudget = 256;
    // Records listed ahead of the scan and not yet delivered, beyond which the threads wait.
    std::size_t recordBudget = 32 * 1024;
    // Told what the workers do, for tests that hold them or the scan at a known point.
    ReadAheadWatcher* watcher = nullptr;
};

// Folder enumeration on POSIX systems: each folder is opened relative to its parent's
// descriptor, read with getdents64 in the kernel's order and its records filled by fstatat
// without following links, so paths of any length and depth scan completely.
//
// With more than one thread, worker threads list and stat the folders the scan will reach
// next, nearest first, while the scan consumes what they listed; the scan gets the same
// records in the same order as alone. The read-ahead stays within the record budget and the
// descriptor budget, and the workers stop when the scan closes its outermost listing.
//
// Bounds: no symbolic link is followed; a folder that is one of its own ancestors (a bind
// mount loop) reads as empty; a folder on another device than its parent whose file system is
// a kernel interface (proc, sysfs, ...) is listed but not entered, and so is any folder on
// another device when the listing options keep the scan on one file system. When the folders of a scan
// would hold more descriptors than the budget, the outermost ones are read to the end and
// closed; one that has to open a folder again gets its descriptor back through ".." of the
// folder just finished below it, so going back up a deep tree costs one call per level.
class PosixFileSystem final : public FileSystem {
public:
    explicit PosixFileSystem(FolderReading reading = {});

    // The thread count used when none is given: enough requests in flight to keep a cold
    // disk busy, not only the processor.
    static unsigned automaticThreads();

    using FileSystem::openFolder;
    std::unique_ptr<FolderListing> openFolder(const std::string& path, const ListingOptions& options) override;
    FolderVolume volumeOf(const std::string& path) override;
    bool isFolder(const std::string& path) override;
    bool exists(const std::string& path) override;

private:
    FolderReading m_reading;
};

} // namespace tallyvane

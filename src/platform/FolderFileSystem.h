// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

namespace tallyvane {

// What a scan needs to know of the file system an open folder is on. Asked of the folder
// itself, so a file system mounted while a scan runs is recognised too.
struct FolderFileSystem {
    // The top of a kernel interface file system (proc, sysfs, cgroup, ...) that a scan lists
    // but does not enter.
    bool pseudo = false;
    // The file system fills a listing buffer for as long as the folder has records, so a batch
    // that leaves room for another record is the last one. Others (FUSE, network file systems)
    // may hand out a folder a part at a time.
    bool fillsListingBuffer = false;
};

// For the open folder fd on device. Safe to call from several threads at once.
FolderFileSystem fileSystemOfFolder(int fd, dev_t device);

} // namespace tallyvane

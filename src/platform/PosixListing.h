// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileDescriptor.h"
#include "platform/FileSystem.h"
#include "platform/ReadAheadFolder.h"
#include "platform/RecordBlock.h"

#include <fcntl.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

namespace tallyvane {

// The system calls of a scan that reads ahead: a folder's records read in getdents64 batches
// and filled by fstatat without following links, children opened relative to their parent's
// descriptor, folders opened again after their descriptors were given up.

constexpr int FolderOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr std::size_t ListingBufferSize = 32 * 1024;

struct ListingBatch {
    RecordBlock block;
    std::vector<std::unique_ptr<ReadAheadFolder>> children; // one per folder record, in order
    bool end = false;                                       // the folder is read to the end
    bool aborted = false; // stop or the folder's abandoned was seen: nothing of it counts
};

// The next batch of an open folder, read with a buffer of ListingBufferSize bytes. A name gone
// since it was listed is left out; one that cannot be statted tells what the listing tells.
ListingBatch readListingBatch(ReadAheadFolder& folder, char* buffer, const std::atomic<bool>& stop);

// Opens folder by its name in parentFd and sets its identity and fillsBuffer. False for a folder
// not to enter: gone or replaced by a link, a kernel interface on a device of its own, another
// device when the options keep the scan on one file system, or (when bounded) one of its own
// nearest ancestors. A folder that exists but cannot be opened gets its errno in openError.
bool openChildFolder(ReadAheadFolder& folder, int parentFd, bool bounded, const ListingOptions& options);

// Climbs `levels` levels up from fd by "..", a bounded number of components per call.
FileDescriptor climbFolders(int fd, unsigned levels);

// Opens folder again by names from the nearest folder that still has a descriptor, or from
// the path the scan began with; invalid when it is no longer the folder it was.
FileDescriptor reopenByNames(const ReadAheadFolder& folder);

} // namespace tallyvane

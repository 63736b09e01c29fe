// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PosixListing.h"

#include "platform/FileAttributes.h"
#include "platform/FolderFileSystem.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

namespace tallyvane {
namespace {

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

std::uint32_t attributesOf(mode_t mode, const char* name)
{
    std::uint32_t attributes = 0;
    if (S_ISDIR(mode))
        attributes |= Attribute::Directory;
    else if (S_ISLNK(mode))
        attributes |= Attribute::ReparsePoint;
    if (name[0] == '.')
        attributes |= Attribute::Hidden;
    if (!(mode & S_IWUSR))
        attributes |= Attribute::ReadOnly;
    return attributes ? attributes : Attribute::Normal;
}

} // namespace

ListingBatch readListingBatch(ReadAheadFolder& folder, char* buffer, const std::atomic<bool>& stop)
{
    ListingBatch batch;
    const ssize_t count = ::getdents64(folder.fd.get(), buffer, ListingBufferSize);
    if (count <= 0) {
        // The end, or an error in mid-folder: both end the listing.
        batch.end = true;
        return batch;
    }
    std::size_t bytes = 0;
    std::size_t folders = 0; // at most: the listing's type is a hint, the stat decides
    for (ssize_t offset = 0; offset < count;) {
        const auto* record = reinterpret_cast<const dirent64*>(buffer + offset);
        bytes += footprint(std::strlen(record->d_name));
        folders += record->d_type == DT_DIR || record->d_type == DT_UNKNOWN;
        offset += record->d_reclen;
    }
    batch.block.bytes = std::make_unique_for_overwrite<char[]>(bytes);
    batch.children.reserve(folders);
    char* out = batch.block.bytes.get();
    for (ssize_t offset = 0; offset < count;) {
        if (stop.load(std::memory_order_relaxed) || folder.abandoned.load(std::memory_order_relaxed)) {
            batch.aborted = true;
            return batch;
        }
        const auto* record = reinterpret_cast<const dirent64*>(buffer + offset);
        offset += record->d_reclen;
        const char* name = record->d_name;
        RecordHead head{0, 0, 0, 0, 0, static_cast<std::uint16_t>(std::strlen(name)), false};
        FileId id{};
        struct stat st;
        if (isDotOrDotDot(name)) {
            head.attributes = Attribute::Directory | Attribute::Hidden;
        } else if (::fstatat(folder.fd.get(), name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            head.size = st.st_size;
            head.device = st.st_dev;
            head.inode = st.st_ino;
            head.links = static_cast<std::uint32_t>(st.st_nlink);
            head.attributes = attributesOf(st.st_mode, name);
            id = {st.st_dev, st.st_ino};
        } else if (errno == ENOENT) {
            continue; // gone since it was listed
        } else {
            // Listed but not statable (a folder we may read but not search): what the listing tells.
            const mode_t type = record->d_type == DT_DIR ? S_IFDIR : record->d_type == DT_LNK ? S_IFLNK : S_IFREG;
            head.attributes = attributesOf(type | S_IRUSR | S_IWUSR, name);
        }
        head.folder = (head.attributes & Attribute::Directory) && !isDotOrDotDot(name);
        if (head.folder)
            batch.children.push_back(ReadAheadFolder::make(&folder, std::string_view(name, head.nameLength), id));
        std::memcpy(out, &head, sizeof head);
        std::memcpy(out + sizeof head, name, head.nameLength + 1u);
        out += footprint(head.nameLength);
        ++batch.block.count;
    }
    batch.block.used = static_cast<std::size_t>(out - batch.block.bytes.get());
    if (folder.fillsBuffer && static_cast<std::size_t>(count) + sizeof(dirent64) <= ListingBufferSize)
        batch.end = true;
    return batch;
}

bool openChildFolder(ReadAheadFolder& folder, int parentFd, bool bounded, const ListingOptions& options)
{
    if (options.oneFileSystem && folder.id != FileId{} && folder.id.device != folder.parent->id.device)
        return false; // not even opened: a hung network mount would hold the scan
    FileDescriptor fd(::openat(parentFd, folder.name, FolderOpenFlags));
    if (!fd.valid()) {
        // A name gone since it was listed, or replaced by a link, is not a folder to read.
        if (errno != ENOENT && errno != ELOOP && errno != ENOTDIR)
            folder.openError = errno;
        return false;
    }
    // The record's identity is the folder's: its stat crossed any mount on the name, and
    // O_NOFOLLOW refuses a link put in its place since. Only an unknown one costs a call.
    if (folder.id == FileId{}) {
        const auto id = identityOf(fd.get());
        if (!id)
            return false;
        folder.id = *id;
    }
    if (folder.id.device == folder.parent->id.device) {
        folder.fillsBuffer = folder.parent->fillsBuffer;
    } else {
        if (options.oneFileSystem)
            return false;
        const FolderFileSystem fileSystem = fileSystemOfFolder(fd.get(), folder.id.device);
        if (fileSystem.pseudo)
            return false;
        folder.fillsBuffer = fileSystem.fillsListingBuffer;
    }
    // The scan refuses a folder that is one of its own ancestors; workers look a few levels up
    // only, which stops them from following a bind mount loop round and round.
    if (bounded) {
        int steps = 0;
        for (const ReadAheadFolder* ancestor = folder.parent; ancestor && steps < 64;
             ancestor = ancestor->parent, ++steps) {
            if (ancestor->id == folder.id)
                return false;
        }
    }
    folder.fd = std::move(fd);
    return true;
}

FileDescriptor climbFolders(int fd, unsigned levels)
{
    FileDescriptor result(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    while (result.valid() && levels > 0) {
        const unsigned step = std::min(levels, 1000u);
        std::string path;
        for (unsigned i = 0; i < step; ++i)
            path += i ? "/.." : "..";
        result = FileDescriptor(::openat(result.get(), path.c_str(), FolderOpenFlags));
        levels -= step;
    }
    return result;
}

FileDescriptor reopenByNames(const ReadAheadFolder& folder)
{
    std::vector<const ReadAheadFolder*> chain;
    const ReadAheadFolder* start = &folder;
    for (; start->parent && !start->fd.valid(); start = start->parent)
        chain.push_back(start);
    FileDescriptor fd(start->fd.valid() ? ::fcntl(start->fd.get(), F_DUPFD_CLOEXEC, 0)
                                        : ::open(start->name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (auto it = chain.rbegin(); fd.valid() && it != chain.rend(); ++it)
        fd = FileDescriptor(::openat(fd.get(), (*it)->name, FolderOpenFlags));
    if (fd.valid() && identityOf(fd.get()) != folder.id) {
        fd.reset(); // moved or replaced meanwhile
        errno = ENOENT;
    }
    return fd;
}

} // namespace tallyvane

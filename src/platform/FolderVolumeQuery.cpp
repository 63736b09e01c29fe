// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderVolumeQuery.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tallyvane {

FolderVolume queryFolderVolume(const std::string& path)
{
    FolderVolume volume;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return volume;
    struct stat folder;
    struct stat parent;
    struct statvfs counts;
    if (::fstat(fd, &folder) == 0) {
        volume.device = folder.st_dev;
        // ".." of a mount's top is the folder it is mounted on, on another device.
        volume.fileSystemRoot =
            ::fstatat(fd, "..", &parent, 0) == 0 && (parent.st_dev != folder.st_dev || parent.st_ino == folder.st_ino);
        if (::fstatvfs(fd, &counts) == 0 && counts.f_files > counts.f_ffree)
            volume.usedInodes = counts.f_files - counts.f_ffree;
    }
    ::close(fd);
    return volume;
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderFileSystem.h"

#include "platform/MountTable.h"

#include <linux/magic.h>
#include <sys/vfs.h>

#include <array>

namespace tallyvane {
namespace {

// The kernel's magic numbers of the file systems MountTable::isPseudoFileSystem names. Those
// missing from older headers are spelled out.
constexpr std::array<unsigned long, 17> PseudoMagics{
    PROC_SUPER_MAGIC,
    SYSFS_MAGIC,
    DEVPTS_SUPER_MAGIC,
    CGROUP_SUPER_MAGIC,
    CGROUP2_SUPER_MAGIC,
    DEBUGFS_MAGIC,
    TRACEFS_MAGIC,
    SECURITYFS_MAGIC,
    PSTOREFS_MAGIC,
    BPF_FS_MAGIC,
    0x62656570 /* configfs */,
    0x65735543 /* fusectl */,
    0x19800202 /* mqueue */,
    HUGETLBFS_MAGIC,
    BINFMTFS_MAGIC,
    AUTOFS_SUPER_MAGIC,
    EFIVARFS_MAGIC,
};

} // namespace

FolderFileSystem fileSystemOfFolder(int fd, dev_t device)
{
    struct statfs facts;
    if (::fstatfs(fd, &facts) != 0)
        return {};
    const auto magic = static_cast<unsigned long>(facts.f_type);
    for (unsigned long pseudo : PseudoMagics) {
        if (magic == pseudo)
            return {.pseudo = true};
    }
    switch (magic) {
    case TMPFS_MAGIC: {
        // devtmpfs is a tmpfs to fstatfs: only the mount table tells the two apart.
        const MountTable mounts = MountTable::readSystem();
        const Mount* mount = mounts.byDevice(device);
        return {.pseudo = mount && MountTable::isPseudoFileSystem(mount->fileSystemType), .fillsListingBuffer = true};
    }
    case EXT4_SUPER_MAGIC: // ext2 and ext3 too
    case BTRFS_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
        return {.fillsListingBuffer = true};
    default:
        return {};
    }
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PseudoFileSystemCheck.h"

#include "platform/MountTable.h"

#include <linux/magic.h>
#include <sys/vfs.h>

#include <array>

namespace tallyvane {
namespace {

// The kernel's magic numbers of the file systems MountTable::isPseudoFileSystem names. Those
// missing from older headers are spelled out.
constexpr std::array<unsigned long, 17> PseudoMagics{
    PROC_SUPER_MAGIC, SYSFS_MAGIC, DEVPTS_SUPER_MAGIC, CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC,
    DEBUGFS_MAGIC, TRACEFS_MAGIC, SECURITYFS_MAGIC, PSTOREFS_MAGIC, BPF_FS_MAGIC,
    0x62656570 /* configfs */, 0x65735543 /* fusectl */, 0x19800202 /* mqueue */,
    HUGETLBFS_MAGIC, BINFMTFS_MAGIC, AUTOFS_SUPER_MAGIC, EFIVARFS_MAGIC,
};

} // namespace

bool isPseudoFileSystemFolder(int fd, dev_t device)
{
    struct statfs facts;
    if (::fstatfs(fd, &facts) != 0)
        return false;
    const auto magic = static_cast<unsigned long>(facts.f_type);
    for (unsigned long pseudo : PseudoMagics) {
        if (magic == pseudo)
            return true;
    }
    // devtmpfs is a tmpfs to fstatfs: only the mount table tells the two apart.
    if (magic == TMPFS_MAGIC) {
        const MountTable mounts = MountTable::readSystem();
        const Mount* mount = mounts.byDevice(device);
        return mount && MountTable::isPseudoFileSystem(mount->fileSystemType);
    }
    return false;
}

} // namespace tallyvane

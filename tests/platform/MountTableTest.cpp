// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MountTable.h"

#include <gtest/gtest.h>

#include <sys/sysmacros.h>

namespace tallyvane {
namespace {

constexpr std::string_view Sample = "22 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
                                    "23 22 0:21 / /proc rw,nosuid shared:5 - proc proc rw\n"
                                    "24 22 0:22 / /dev rw,nosuid shared:2 - devtmpfs udev rw,size=1024k\n"
                                    "25 22 0:23 / /home/ann/My\\040Disk rw master:7 - fuse.sshfs ann@host:/ rw\n"
                                    "26 22 0:24 / /home rw - tmpfs tmpfs rw\n"
                                    "27 22 254:0 /srv /home/ann/srv rw - ext4 /dev/vda rw\n"
                                    "garbage line\n";

TEST(MountTable, ParsesMountInfoLines)
{
    const MountTable table = MountTable::parse(Sample);
    ASSERT_EQ(table.mounts().size(), 6u);
    const Mount& disk = table.mounts()[3];
    EXPECT_EQ(disk.mountPoint, "/home/ann/My Disk");
    EXPECT_EQ(disk.fileSystemType, "fuse.sshfs");
    EXPECT_EQ(disk.source, "ann@host:/");
    EXPECT_EQ(disk.device, makedev(0, 23));
    EXPECT_EQ(table.byDevice(makedev(0, 21))->fileSystemType, "proc");
    // The same device mounted twice: the later mount is the one found.
    EXPECT_EQ(table.byDevice(makedev(254, 0))->mountPoint, "/home/ann/srv");
    EXPECT_EQ(table.byDevice(makedev(9, 9)), nullptr);
}

TEST(MountTable, ContainingMountIsTheLongestWholeComponentPrefix)
{
    const MountTable table = MountTable::parse(Sample);
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"/", "/"},
        {"/etc/passwd", "/"},
        {"/proc", "/proc"},
        {"/processes", "/"},
        {"/home/ann/My Disk/x", "/home/ann/My Disk"},
        {"/home/ann/My Diskette", "/home"},
        {"/home/ann/srv/www", "/home/ann/srv"},
    };
    for (const auto& [path, mountPoint] : cases)
        EXPECT_EQ(table.containing(path)->mountPoint, mountPoint) << path;
}

TEST(MountTable, KnowsTheKernelInterfaceFileSystems)
{
    for (std::string_view type : {"proc", "sysfs", "devtmpfs", "cgroup2", "autofs", "efivarfs"})
        EXPECT_TRUE(MountTable::isPseudoFileSystem(type)) << type;
    for (std::string_view type : {"ext4", "tmpfs", "nfs", "fuse.sshfs", "overlay", ""})
        EXPECT_FALSE(MountTable::isPseudoFileSystem(type)) << type;
}

} // namespace
} // namespace tallyvane

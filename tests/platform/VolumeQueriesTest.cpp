// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MountTable.h"
#include "platform/PosixVolumeQueries.h"
#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>

namespace tallyvane {
namespace {

using test::FixtureTree;

std::string canonical(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    std::string text = resolved ? resolved : "";
    std::free(resolved);
    return text;
}

bool isMountPoint(const std::string& path)
{
    const MountTable mounts = MountTable::readSystem();
    const Mount* mount = mounts.containing(path);
    return mount && mount->mountPoint == path;
}

// A file system mounted for one test and unmounted with it.
class TemporaryMount {
public:
    TemporaryMount(const std::string& type, const std::string& at, const char* options)
        : m_at(at), m_mounted(::mount(type.c_str(), at.c_str(), type.c_str(), 0, options) == 0)
    {
    }
    ~TemporaryMount()
    {
        if (m_mounted)
            ::umount(m_at.c_str());
    }
    bool mounted() const { return m_mounted; }

private:
    std::string m_at;
    bool m_mounted;
};

TEST(PosixVolumeQueriesTest, VolumeOfAPathIsTheMountHoldingItsCanonicalForm)
{
    FixtureTree tree;
    tree.makeFolder("data");
    tree.makeSymlink("to-root", "/");
    PosixVolumeQueries queries;
    const MountTable mounts = MountTable::readSystem();

    const std::string data = canonical(tree.pathOf("data"));
    ASSERT_NE(mounts.containing(data), nullptr);
    EXPECT_EQ(queries.volumeRoot(tree.pathOf("data")), mounts.containing(data)->mountPoint);
    EXPECT_EQ(queries.volumeRoot("/"), "/");
    // Through the link: the volume of where it leads, not of where it stands.
    EXPECT_EQ(queries.volumeRoot(tree.pathOf("to-root")), "/");
    EXPECT_EQ(queries.volumeRoot(""), "");
}

TEST(PosixVolumeQueriesTest, PathThatDoesNotExistIsOnItsNearestExistingAncestorsVolume)
{
    FixtureTree tree;
    tree.makeFolder("ram");
    TemporaryMount ram("tmpfs", tree.pathOf("ram"), "size=1m");
    if (!ram.mounted())
        GTEST_SKIP() << "mounting is not permitted here";
    PosixVolumeQueries queries;

    const std::string root = canonical(tree.pathOf("ram"));
    EXPECT_EQ(queries.volumeRoot(tree.pathOf("ram")), root);
    EXPECT_EQ(queries.volumeRoot(tree.pathOf("ram/gone/deeper")), root);
    EXPECT_EQ(queries.volumeRoot(tree.pathOf("gone")), queries.volumeRoot(tree.path()));
}

TEST(PosixVolumeQueriesTest, MountedRamDiskReportsItsTypeAndSize)
{
    FixtureTree tree;
    tree.makeFolder("ram");
    TemporaryMount ram("tmpfs", tree.pathOf("ram"), "size=1m");
    if (!ram.mounted())
        GTEST_SKIP() << "mounting is not permitted here";
    // Written, not sized: tmpfs counts the pages in use.
    std::ofstream(tree.pathOf("ram/half"), std::ios::binary) << std::string(512 * 1024, 'x');
    PosixVolumeQueries queries;
    const std::string root = queries.volumeRoot(tree.pathOf("ram/half"));

    EXPECT_EQ(queries.driveType(root), DriveType::Ram);
    const std::optional<std::uint32_t> cluster = queries.clusterSize(root);
    ASSERT_TRUE(cluster);
    EXPECT_GT(*cluster, 0u);
    const std::optional<VolumeSpace> space = queries.space(root);
    ASSERT_TRUE(space);
    EXPECT_EQ(space->capacity, 1024 * 1024);
    EXPECT_EQ(space->free, 512 * 1024);
}

TEST(PosixVolumeQueriesTest, SystemVolumesOfKnownKinds)
{
    PosixVolumeQueries queries;
    EXPECT_EQ(queries.driveType("/"), DriveType::Fixed) << "a root on a removable or network disk?";
    if (isMountPoint("/dev/shm")) {
        EXPECT_EQ(queries.volumeRoot("/dev/shm"), "/dev/shm");
        EXPECT_EQ(queries.driveType("/dev/shm"), DriveType::Ram);
    }
    if (isMountPoint("/proc")) {
        EXPECT_EQ(queries.volumeRoot("/proc/self/fd"), "/proc");
        EXPECT_EQ(queries.driveType("/proc"), DriveType::Unknown);
    }
}

TEST(PosixVolumeQueriesTest, RootVolumeSpaceMatchesStatvfs)
{
    PosixVolumeQueries queries;
    struct statvfs info {};
    ASSERT_EQ(::statvfs("/", &info), 0);

    EXPECT_EQ(queries.clusterSize("/"), info.f_frsize);
    const std::optional<VolumeSpace> space = queries.space("/");
    ASSERT_TRUE(space);
    EXPECT_EQ(space->capacity, static_cast<std::int64_t>(info.f_blocks * info.f_frsize));
    EXPECT_GT(space->capacity, 0);
    EXPECT_GE(space->free, 0);
    EXPECT_LE(space->free, space->capacity);
}

TEST(PosixVolumeQueriesTest, NoVolumeAnswersNothing)
{
    PosixVolumeQueries queries;
    for (const std::string root : {"", "/no/such/volume"}) {
        EXPECT_EQ(queries.driveType(root), DriveType::NoVolume) << root;
        EXPECT_EQ(queries.clusterSize(root), std::nullopt) << root;
        EXPECT_EQ(queries.space(root), std::nullopt) << root;
    }
    // A mount table without "/" holds nothing outside its mounts.
    PosixVolumeQueries partial(MountTable::parse("23 1 0:21 / /proc rw - proc proc rw\n"), "/sys");
    EXPECT_EQ(partial.volumeRoot("/etc"), "");
}

// Drive types from a mount table and a sysfs tree made for the test: disks sdv (removable),
// sdw (fixed) with its partition sdw2, sdx (removable) with its partition sdx1.
class DriveTypeTest : public testing::Test {
protected:
    DriveTypeTest()
    {
        for (const char* folder : {"class", "class/block", "devices", "devices/sdv", "devices/sdw", "devices/sdw/sdw2",
                                   "devices/sdx", "devices/sdx/sdx1"})
            sysfs.makeFolder(folder);
        write("devices/sdv/removable", "1\n");
        write("devices/sdw/removable", "0\n");
        write("devices/sdw/sdw2/partition", "2\n");
        write("devices/sdx/removable", "1\n");
        write("devices/sdx/sdx1/partition", "1\n");
        // As in sysfs, the class folder links to each device wherever it sits.
        sysfs.makeSymlink("class/block/sdv", "../../devices/sdv");
        sysfs.makeSymlink("class/block/sdw", "../../devices/sdw");
        sysfs.makeSymlink("class/block/sdw2", "../../devices/sdw/sdw2");
        sysfs.makeSymlink("class/block/sdx", "../../devices/sdx");
        sysfs.makeSymlink("class/block/sdx1", "../../devices/sdx/sdx1");
    }

    void write(const std::string& relative, const std::string& text) { std::ofstream(sysfs.pathOf(relative)) << text; }

    FixtureTree sysfs;
};

TEST_F(DriveTypeTest, FromFileSystemTypeAndRemovableFlag)
{
    const std::pair<const char*, DriveType> mounts[] = {
        {"tmpfs tmpfs", DriveType::Ram},
        {"ramfs none", DriveType::Ram},
        {"nfs4 server:/export", DriveType::Network},
        {"cifs //server/share", DriveType::Network},
        {"fuse.sshfs ann@host:/", DriveType::Network},
        {"9p hostshare", DriveType::Network},
        {"iso9660 /dev/sr0", DriveType::Optical},
        {"udf /dev/sr1", DriveType::Optical},
        {"proc proc", DriveType::Unknown},
        {"ext4 /dev/sdv", DriveType::Removable},
        {"vfat /dev/sdx1", DriveType::Removable},
        {"ext4 /dev/sdw2", DriveType::Fixed},
        {"ext4 /dev/sdw", DriveType::Fixed},
        {"ext4 /dev/nvme9n9p9", DriveType::Fixed}, // not in sysfs
        {"overlay overlay", DriveType::Fixed},
    };
    std::string mountInfo;
    for (std::size_t i = 0; i < std::size(mounts); ++i)
        mountInfo += std::to_string(30 + i) + " 1 0:" + std::to_string(90 + i) + " / /mnt/m" + std::to_string(i)
            + " rw - " + mounts[i].first + " rw\n";
    PosixVolumeQueries queries(MountTable::parse(mountInfo), sysfs.path());

    for (std::size_t i = 0; i < std::size(mounts); ++i)
        EXPECT_EQ(queries.driveType("/mnt/m" + std::to_string(i)), mounts[i].second) << mounts[i].first;
    EXPECT_EQ(queries.driveType("/mnt/elsewhere"), DriveType::NoVolume);
}

} // namespace
} // namespace tallyvane

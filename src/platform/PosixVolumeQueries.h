// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/MountTable.h"
#include "platform/VolumeQueries.h"

#include <optional>
#include <string>

namespace tallyvane {

// Volumes on POSIX systems are mounts. A path's volume is the mount holding its canonical form;
// a path that does not exist (the folder went away after it was chosen) takes the volume of its
// nearest existing ancestor, as what would be written there lands on that volume.
//
// Drive types follow the mount's file system type: tmpfs and ramfs are RAM disks, network and
// cluster file systems network disks, iso9660 and udf optical discs, kernel interface file
// systems (proc, sysfs, ...) unknown; the rest are fixed disks unless sysfs marks the mount's
// block device, or the disk a partition belongs to, as removable. Cluster size and space come
// from statvfs.
class PosixVolumeQueries final : public VolumeQueries {
public:
    // Reads the system's mount table at each query, so mounts made while the program runs count.
    PosixVolumeQueries();
    // Takes mounts and the block devices' removable flags from the given table and sysfs tree
    // instead; cluster size and space still come from the system.
    PosixVolumeQueries(MountTable mounts, std::string sysfsRoot);

    std::string volumeRoot(const std::string& path) override;
    DriveType driveType(const std::string& root) override;
    std::optional<std::uint32_t> clusterSize(const std::string& root) override;
    std::optional<VolumeSpace> space(const std::string& root) override;

private:
    MountTable mounts() const;
    bool isRemovable(const std::string& source) const;

    std::optional<MountTable> m_mounts;
    std::string m_sysfsRoot;
};

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PosixVolumeQueries.h"

#include <sys/statvfs.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <utility>

namespace tallyvane {
namespace {

bool isOneOf(std::string_view type, std::initializer_list<std::string_view> names)
{
    for (std::string_view name : names) {
        if (name == type)
            return true;
    }
    return false;
}

std::optional<std::string> realPath(const std::string& path)
{
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved)
        return std::nullopt;
    return std::string(resolved.get());
}

// The canonical form of path, or of its nearest ancestor that can be resolved.
std::optional<std::string> nearestCanonicalPath(const std::string& path)
{
    std::error_code error;
    std::filesystem::path candidate = std::filesystem::absolute(path, error);
    if (error)
        return std::nullopt;
    for (;;) {
        if (std::optional<std::string> canonical = realPath(candidate.string()))
            return canonical;
        std::filesystem::path parent = candidate.parent_path();
        if (parent == candidate)
            return std::nullopt;
        candidate = std::move(parent);
    }
}

// A sysfs attribute that reads "1".
bool isFlagSet(const std::filesystem::path& attribute)
{
    std::ifstream file(attribute);
    char flag = 0;
    return file.get(flag) && flag == '1';
}

} // namespace

PosixVolumeQueries::PosixVolumeQueries() : m_sysfsRoot("/sys") {}

PosixVolumeQueries::PosixVolumeQueries(MountTable mounts, std::string sysfsRoot)
    : m_mounts(std::move(mounts)), m_sysfsRoot(std::move(sysfsRoot))
{
}

MountTable PosixVolumeQueries::mounts() const
{
    return m_mounts ? *m_mounts : MountTable::readSystem();
}

std::string PosixVolumeQueries::volumeRoot(const std::string& path)
{
    if (path.empty())
        return {};
    const std::optional<std::string> canonical = nearestCanonicalPath(path);
    if (!canonical)
        return {};
    const MountTable table = mounts();
    const Mount* mount = table.containing(*canonical);
    return mount ? mount->mountPoint : std::string();
}

DriveType PosixVolumeQueries::driveType(const std::string& root)
{
    const MountTable table = mounts();
    const Mount* mount = table.containing(root);
    if (!mount || mount->mountPoint != root)
        return DriveType::NoVolume;
    const std::string_view type = mount->fileSystemType;
    if (isOneOf(type, {"tmpfs", "ramfs"}))
        return DriveType::Ram;
    if (isOneOf(type,
                {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p", "ceph", "glusterfs", "davfs"}))
        return DriveType::Network;
    if (isOneOf(type, {"iso9660", "udf"}))
        return DriveType::Optical;
    if (MountTable::isPseudoFileSystem(type))
        return DriveType::Unknown;
    return isRemovable(mount->source) ? DriveType::Removable : DriveType::Fixed;
}

bool PosixVolumeQueries::isRemovable(const std::string& source) const
{
    if (!source.starts_with("/dev/"))
        return false;
    // Sources such as /dev/disk/by-uuid/... and /dev/mapper/... are links to the device node,
    // whose name is the one sysfs lists.
    const std::filesystem::path node = realPath(source).value_or(source);
    const std::filesystem::path device = std::filesystem::path(m_sysfsRoot) / "class/block" / node.filename();
    std::error_code error;
    if (std::filesystem::exists(device / "removable", error))
        return isFlagSet(device / "removable");
    // Only whole disks carry the flag; a partition's directory sits inside its disk's.
    return std::filesystem::exists(device / "partition", error) && isFlagSet(device / ".." / "removable");
}

std::optional<std::uint32_t> PosixVolumeQueries::clusterSize(const std::string& root)
{
    struct statvfs info {};
    if (::statvfs(root.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint32_t>(info.f_frsize);
}

std::optional<VolumeSpace> PosixVolumeQueries::space(const std::string& root)
{
    struct statvfs info {};
    if (::statvfs(root.c_str(), &info) != 0)
        return std::nullopt;
    const std::uint64_t unit = info.f_frsize;
    return VolumeSpace{static_cast<std::int64_t>(info.f_blocks * unit),
                       static_cast<std::int64_t>(info.f_bavail * unit)};
}

} // namespace tallyvane

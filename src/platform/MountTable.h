// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace tallyvane {

struct Mount {
    dev_t device = 0;
    std::string mountPoint;
    std::string fileSystemType;
    std::string source;
};

// The mounts the process sees, as /proc/self/mountinfo lists them.
class MountTable {
public:
    static MountTable readSystem();
    static MountTable parse(std::string_view mountInfo);

    // The last mount listed for device (a later mount hides an earlier one), or none.
    const Mount* byDevice(dev_t device) const&;
    // The mount holding a canonical absolute path: the longest mount point that is a prefix
    // of it, whole components only.
    const Mount* containing(std::string_view canonicalPath) const&;
    // The mounts found point into the table, so a temporary table cannot be asked.
    const Mount* byDevice(dev_t device) const&& = delete;
    const Mount* containing(std::string_view canonicalPath) const&& = delete;

    const std::vector<Mount>& mounts() const { return m_mounts; }

    // Kernel interface file systems that describe no disk space: scans list their mount points
    // as folders but do not enter them.
    static bool isPseudoFileSystem(std::string_view type);

private:
    std::vector<Mount> m_mounts;
};

} // namespace tallyvane

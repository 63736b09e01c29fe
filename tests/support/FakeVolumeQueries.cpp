// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeVolumeQueries.h"

namespace tallyvane::test {

std::string FakeVolumeQueries::volumeRoot(const std::string& path)
{
    asked.emplace_back("root", path);
    return root;
}

DriveType FakeVolumeQueries::driveType(const std::string& of)
{
    asked.emplace_back("type", of);
    return type;
}

std::optional<std::uint32_t> FakeVolumeQueries::clusterSize(const std::string& of)
{
    asked.emplace_back("cluster", of);
    return cluster;
}

std::optional<VolumeSpace> FakeVolumeQueries::space(const std::string& of)
{
    asked.emplace_back("space", of);
    return volumeSpace;
}

} // namespace tallyvane::test

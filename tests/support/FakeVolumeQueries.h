// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/VolumeQueries.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tallyvane::test {

// One volume whose answers a test sets through the public fields; it holds every path, and
// records each query with its argument in the order asked.
class FakeVolumeQueries final : public VolumeQueries {
public:
    explicit FakeVolumeQueries(std::string root = "/") : root(std::move(root)) {}

    std::string volumeRoot(const std::string& path) override;
    DriveType driveType(const std::string& of) override;
    std::optional<std::uint32_t> clusterSize(const std::string& of) override;
    std::optional<VolumeSpace> space(const std::string& of) override;

    // Until a test changes them, the answers of a plain local disk: 4,096-byte clusters, 100 GiB
    // of which 25 GiB are free.
    std::string root;
    DriveType type = DriveType::Fixed;
    std::optional<std::uint32_t> cluster = 4096;
    std::optional<VolumeSpace> volumeSpace = VolumeSpace{std::int64_t{100} << 30, std::int64_t{25} << 30};
    std::vector<std::pair<std::string, std::string>> asked; // query ("root", "type", "cluster", "space"), argument
};

} // namespace tallyvane::test

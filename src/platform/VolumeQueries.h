// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tallyvane {

// The kinds of volume the summary tells apart, numbered as the drive-type codes have always
// been numbered.
enum class DriveType {
    Unknown = 0,   // a volume whose kind cannot be told, such as a kernel interface file system
    NoVolume = 1,  // the path is on no volume the system lists
    Removable = 2, // removable media
    Fixed = 3,
    Network = 4,
    Optical = 5,
    Ram = 6,
};

struct VolumeSpace {
    std::int64_t capacity;
    std::int64_t free; // free to the calling user
};

// What the volume summary asks the system about the volume holding a path. A volume is named
// by its root, as volumeRoot() gives it; the other queries take that root.
class VolumeQueries {
public:
    virtual ~VolumeQueries() = default;

    // The root of the volume holding path, or "" when none holds it.
    virtual std::string volumeRoot(const std::string& path) = 0;
    virtual DriveType driveType(const std::string& root) = 0;
    // Bytes per allocation unit; none when the volume cannot be queried.
    virtual std::optional<std::uint32_t> clusterSize(const std::string& root) = 0;
    virtual std::optional<VolumeSpace> space(const std::string& root) = 0;
};

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace tallyvane {

// What tells a file apart from every other one while it exists: its device and inode.
struct FileId {
    dev_t device;
    ino_t inode;
    bool operator==(const FileId&) const = default;
};

struct FileIdHash {
    std::size_t operator()(const FileId& id) const noexcept
    {
        return std::hash<std::uint64_t>{}(static_cast<std::uint64_t>(id.inode) * 0x9E3779B97F4A7C15u
                                          ^ static_cast<std::uint64_t>(id.device));
    }
};

// The identity of the file open as fd, none when fstat fails.
std::optional<FileId> identityOf(int fd);

} // namespace tallyvane

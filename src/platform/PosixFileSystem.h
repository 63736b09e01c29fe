// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"

#include <cstddef>

namespace tallyvane {

// Folder enumeration on POSIX systems: each folder is opened relative to its parent's
// descriptor, read with getdents64 in the kernel's order and its records filled by fstatat
// without following links, so paths of any length and depth scan completely.
//
// Bounds: no symbolic link is followed; a folder that is one of its own ancestors (a bind
// mount loop) reads as empty; mount points of kernel interface file systems (proc, sysfs, ...)
// below the analysed folder are listed but not entered. Only descriptorBudget folders of a
// scan keep a descriptor open; shallower ones are read to the end, closed and reopened by
// path when a folder has to be opened below them again.
class PosixFileSystem final : public FileSystem {
public:
    static constexpr std::size_t DefaultDescriptorBudget = 256;

    explicit PosixFileSystem(std::size_t descriptorBudget = DefaultDescriptorBudget);

    std::unique_ptr<FolderListing> openFolder(const std::string& path) override;
    bool isFolder(const std::string& path) override;
    bool exists(const std::string& path) override;

private:
    std::size_t m_descriptorBudget;
};

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"

#include <string>

namespace tallyvane {

// The file system holding the folder at path: its device, whether the folder is its top (its
// parent lies on another device, or it is its own parent as "/" is) and the files and folders
// statvfs counts as used (f_files - f_ffree; 0 where the file system reports no inode counts,
// as btrfs does). All zero when the folder cannot be asked.
FolderVolume queryFolderVolume(const std::string& path);

} // namespace tallyvane

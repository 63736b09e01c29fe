// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

namespace tallyvane {

// True when the open folder fd, whose device differs from its parent's, is the top of a kernel
// interface file system (proc, sysfs, cgroup, ...) that a scan lists but does not enter. Asked
// of the folder itself, so a file system mounted while a scan runs is recognised too. Safe to
// call from several threads at once.
bool isPseudoFileSystemFolder(int fd, dev_t device);

} // namespace tallyvane

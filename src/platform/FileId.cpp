// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileId.h"

#include <sys/stat.h>

namespace tallyvane {

std::optional<FileId> identityOf(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SmallDisk.h"

#include <csignal>
#include <stdexcept>

namespace tallyvane::test {

SmallDisk::SmallDisk(rlim_t bytes)
{
    if (::getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
        throw std::runtime_error("small disk: cannot read the file size limit");
    m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = m_saved;
    small.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &small) != 0) {
        std::signal(SIGXFSZ, m_savedHandler);
        throw std::runtime_error("small disk: cannot set the file size limit");
    }
}

SmallDisk::~SmallDisk()
{
    ::setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_savedHandler);
}

} // namespace tallyvane::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DescriptorBudget.h"

#include <dirent.h>
#include <sys/resource.h>

namespace tallyvane {
namespace {

// Descriptors the rest of the program may open while a scan runs: files it writes, the
// window's and the libraries' own, a pipe or two.
constexpr std::size_t ProgramReserve = 16;

// The descriptors open now; without /proc, half the limit is taken as a cautious guess.
std::size_t descriptorsOpen(std::size_t limit)
{
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder)
        return limit / 2;
    std::size_t count = 0;
    while (const dirent* record = ::readdir(folder))
        count += record->d_name[0] != '.';
    ::closedir(folder);
    return count > 0 ? count - 1 : 0; // less the one the count itself held
}

} // namespace

std::size_t descriptorsForScan(std::size_t wanted)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return wanted;
    const std::size_t most = limit.rlim_cur;
    const std::size_t taken = descriptorsOpen(most) + ProgramReserve;
    return std::max<std::size_t>(std::min(wanted, most > taken ? most - taken : 0), 2);
}

} // namespace tallyvane

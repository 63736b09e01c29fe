// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MemoryReserve.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace tallyvane {
namespace {

constexpr std::size_t MiB = 1024 * 1024;

std::size_t addressSpaceInUse()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmSize:", 0) == 0)
            return std::stoull(line.substr(7)) * 1024;
    }
    return 0;
}

// In a child process whose address space is limited to what it uses now plus `room`: holds a
// reserve of `reserved` bytes, gives it back, holds it again. The child's exit status tells
// which step failed; 0 when all did what is expected.
int holdUnderLimit(std::size_t room, std::size_t reserved, bool fits)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{addressSpaceInUse() + room, RLIM_INFINITY};
        if (::setrlimit(RLIMIT_AS, &limit) != 0)
            ::_exit(10);
        PosixMemoryReserve reserve(reserved);
        if (reserve.hold() != fits)
            ::_exit(11);
        if (!fits)
            ::_exit(0);
        if (!reserve.hold())
            ::_exit(12); // holding a held reserve
        reserve.release();
        // The room given back is there for somebody else, and for the reserve again.
        PosixMemoryReserve other(reserved);
        if (!other.hold())
            ::_exit(13);
        other.release();
        ::_exit(reserve.hold() ? 0 : 14);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(MemoryReserve, TakesItsRoomFromTheAddressSpaceAndGivesItBack)
{
    EXPECT_EQ(holdUnderLimit(64 * MiB, 32 * MiB, true), 0);
    EXPECT_EQ(holdUnderLimit(16 * MiB, 32 * MiB, false), 0);
}

TEST(MemoryReserve, CostsNoResidentMemory)
{
    PosixMemoryReserve reserve(256 * MiB);
    const auto resident = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmRSS:", 0) == 0)
                return std::stoull(line.substr(6)) * 1024;
        }
        return 0ull;
    };
    const auto before = resident();
    ASSERT_TRUE(reserve.hold());
    EXPECT_LT(resident(), before + 16 * MiB);
}

} // namespace
} // namespace tallyvane

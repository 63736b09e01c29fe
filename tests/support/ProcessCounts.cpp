// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ProcessCounts.h"

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace tallyvane::test {
namespace {

std::size_t countIn(const char* folder)
{
    std::size_t count = 0;
    if (DIR* dir = ::opendir(folder)) {
        while (const dirent* entry = ::readdir(dir))
            count += entry->d_name[0] != '.';
        ::closedir(dir);
    }
    return count;
}

} // namespace

std::size_t OpenDescriptors()
{
    // The opendir's own descriptor is not counted.
    return countIn("/proc/self/fd") - 1;
}

std::size_t RunningThreads()
{
    return countIn("/proc/self/task");
}

std::size_t RunningThreadsSettlingAt(std::size_t expected)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    std::size_t threads = RunningThreads();
    while (threads != expected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        threads = RunningThreads();
    }
    return threads;
}

std::size_t ThreadsAtRest()
{
    pid_t started = 0;
    std::thread([&started] { started = ::gettid(); }).join();
    const std::string entry = "/proc/self/task/" + std::to_string(started);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (::access(entry.c_str(), F_OK) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return RunningThreads();
}

} // namespace tallyvane::test

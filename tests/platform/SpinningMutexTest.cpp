// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SpinningMutex.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace tallyvane {
namespace {

// Threads that count under the lock lose no count, and the one that waits for the total is
// woken by the last of them, the lock let go meanwhile.
TEST(SpinningMutex, ExcludesAndWakesTheThreadThatWaits)
{
    constexpr int Threads = 4;
    constexpr int Counts = 20000;
    SpinningMutex mutex;
    SpinningCondition counted;
    long total = 0; // not atomic: only the lock keeps it whole
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < Counts; ++i) {
                const std::unique_lock lock(mutex);
                if (++total == long(Threads) * Counts)
                    counted.wakeAll();
            }
        });
    }
    {
        std::unique_lock lock(mutex);
        while (total < long(Threads) * Counts)
            counted.wait(lock);
        EXPECT_EQ(total, long(Threads) * Counts);
    }
    for (auto& thread : threads)
        thread.join();
}

} // namespace
} // namespace tallyvane

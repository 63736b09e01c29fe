// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DescriptorBudget.h"

#include <gtest/gtest.h>

#include <string>

namespace tallyvane {
namespace {

// The workers open folders within three quarters of the budget and at least one; the scan keeps
// the rest, and the budget is never less than the two folders the scan needs to go on.
TEST(DescriptorBudget, WorkersOpenWithinTheirShareAndTheScanKeepsTheRest)
{
    struct Case {
        std::size_t asked;
        std::size_t limit;
        std::size_t workerShare;
    };
    const Case cases[] = {{0, 2, 1}, {1, 2, 1}, {2, 2, 1}, {3, 3, 2}, {4, 4, 3}, {8, 8, 6}, {256, 256, 192}};
    for (const Case& c : cases) {
        SCOPED_TRACE("asked for " + std::to_string(c.asked));
        DescriptorBudget budget(c.asked);
        EXPECT_EQ(budget.scanReserve(), c.limit - c.workerShare);
        for (std::size_t i = 0; i < c.workerShare; ++i) {
            EXPECT_TRUE(budget.workersMayOpen()) << i << " open";
            budget.opened();
        }
        EXPECT_FALSE(budget.workersMayOpen());
        while (budget.open() < c.limit) {
            budget.opened();
            EXPECT_FALSE(budget.exceeded());
        }
        budget.opened();
        EXPECT_TRUE(budget.exceeded());
        budget.closed(budget.open() - c.workerShare + 1);
        EXPECT_FALSE(budget.exceeded());
        EXPECT_TRUE(budget.workersMayOpen());
        EXPECT_EQ(budget.open(), c.workerShare - 1);
    }
}

} // namespace
} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RecordBudget.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tallyvane {
namespace {

struct Step {
    enum { List, Take } what;
    std::size_t records;
    bool spentAfter;
    bool wakes; // what taking returns: the workers may go on
};

struct Case {
    const char* name;
    std::size_t limit;
    std::vector<Step> steps;
};

TEST(RecordBudget, OnceSpentStaysSpentUntilTheScanHasTakenAQuarter)
{
    const Case cases[] = {
        {"a hundred records",
         100,
         {{Step::List, 99, false, false},
          {Step::List, 1, true, false},
          {Step::Take, 24, true, false}, // 76 left: a quarter not yet taken
          {Step::List, 10, true, false},
          {Step::Take, 11, false, true},  // 75 left
          {Step::List, 20, false, false}, // 95: under the limit, the workers read on
          {Step::Take, 95, false, false}}},
        {"one record", 1, {{Step::List, 1, true, false}, {Step::Take, 1, false, true}, {Step::Take, 0, false, false}}},
        {"none asked for: one", 0, {{Step::List, 1, true, false}, {Step::Take, 1, false, true}}},
        {"taking from a budget not spent wakes nobody",
         8,
         {{Step::List, 7, false, false}, {Step::Take, 7, false, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordBudget budget(c.limit);
        EXPECT_FALSE(budget.spent());
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i));
            const Step& step = c.steps[i];
            bool wakes = false;
            if (step.what == Step::List)
                budget.listed(step.records);
            else
                wakes = budget.taken(step.records);
            EXPECT_EQ(wakes, step.wakes);
            EXPECT_EQ(budget.spent(), step.spentAfter);
        }
    }
}

TEST(RecordBudget, RecordsDroppedUnreadCountAgainstTheBudgetNoMore)
{
    RecordBudget budget(100);
    budget.listed(100);
    ASSERT_TRUE(budget.spent());
    budget.dropped(30);
    EXPECT_FALSE(budget.spent());
    budget.listed(29);
    EXPECT_FALSE(budget.spent()) << "99 records left";
}

} // namespace
} // namespace tallyvane

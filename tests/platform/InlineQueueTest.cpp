// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/InlineQueue.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tallyvane {
namespace {

std::vector<int> remaining(InlineQueue<std::unique_ptr<int>, 2>& queue)
{
    std::vector<int> items;
    queue.forEach([&items](std::unique_ptr<int>& item) { items.push_back(*item); });
    return items;
}

// Items come out in the order they went in, across the items kept in place and the ones
// beyond, whatever the pushes and pops between, and the queue starts over once it runs empty.
TEST(InlineQueue, KeepsTheOrderAcrossTheItemsInPlaceAndBeyond)
{
    InlineQueue<std::unique_ptr<int>, 2> queue;
    EXPECT_TRUE(queue.empty());
    int next = 0;
    const auto push = [&] { queue.push(std::make_unique<int>(next++)); };
    int expected = 0;
    const auto pop = [&] { EXPECT_EQ(*queue.pop(), expected++); };

    push();
    push();
    push(); // beyond the two in place
    pop();
    push();
    EXPECT_EQ(remaining(queue), (std::vector<int>{1, 2, 3}));
    pop();
    pop();
    push();
    EXPECT_EQ(remaining(queue), (std::vector<int>{3, 4}));
    pop();
    pop();
    EXPECT_TRUE(queue.empty());

    for (int round = 0; round < 3; ++round) {
        queue.reserve(5);
        for (int i = 0; i < 5; ++i)
            push();
        EXPECT_EQ(remaining(queue).size(), 5u);
        for (int i = 0; i < 5; ++i)
            pop();
        EXPECT_TRUE(queue.empty());
    }
}

} // namespace
} // namespace tallyvane

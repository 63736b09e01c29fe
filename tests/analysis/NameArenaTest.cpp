// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/NameArena.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tallyvane {
namespace {

TEST(NameArenaTest, NamesSpreadOverManyBlocksStayWhereTheyWereStored)
{
    NameArena arena;
    std::vector<std::string> names;
    std::vector<NameArena::Ref> refs;
    std::vector<const char*> places;
    // About 6 MB of names of uneven lengths, so some land at the very end of a block.
    for (int i = 0; names.size() < 3000; ++i) {
        std::string name = std::to_string(i) + ':';
        name.resize(1 + (i * 7919) % 4000, static_cast<char>('A' + i % 26));
        refs.push_back(arena.store(name));
        places.push_back(arena.view(refs.back()).data());
        names.push_back(std::move(name));
    }
    EXPECT_GT(arena.capacityBytes(), std::size_t{4} << 20);
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(arena.view(refs[i]), names[i]) << i;
        ASSERT_EQ(arena.view(refs[i]).data(), places[i]) << i;
    }
}

TEST(NameArenaTest, EmptyLongestAndTooLongNames)
{
    NameArena arena;
    EXPECT_EQ(arena.view(arena.store("")), "");

    const std::string longest(NameArena::MaxNameLength, 'm');
    EXPECT_EQ(arena.view(arena.store(longest)), longest);
    const NameArena::Ref cut = arena.store(longest + "tail");
    EXPECT_EQ(arena.view(cut), longest);

    const std::string bytes("a\0b\xFF", 4);
    EXPECT_EQ(arena.view(arena.store(bytes)), bytes) << "stored byte for byte, zero included";
}

TEST(NameArenaTest, ClearReleasesTheBlocks)
{
    NameArena arena;
    arena.store("name");
    arena.clear();
    EXPECT_EQ(arena.capacityBytes(), 0u);
    EXPECT_EQ(arena.view(arena.store("again")), "again");
}

} // namespace
} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/EntrySort.h"

#include "platform/FileAttributes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tallyvane {
namespace {

using Attribute::Directory;

struct NameCase {
    const char* first;
    const char* second;
    int result; // the difference of the decisive mapped bytes
};

void PrintTo(const NameCase& c, std::ostream* out)
{
    *out << testing::PrintToString(std::string(c.first)) << " vs " << testing::PrintToString(std::string(c.second));
}

class NameComparisonTest : public testing::TestWithParam<NameCase> {};

TEST_P(NameComparisonTest, ComparesMappedBytesIncludingTheTerminator)
{
    EntryTree tree;
    const EntryId first = tree.addEntry(NoEntry, 0, 0, GetParam().first);
    const EntryId second = tree.addEntry(NoEntry, 0, 0, GetParam().second);
    EXPECT_EQ(CompareEntries(tree, first, second, SortKey::Name), GetParam().result);
    EXPECT_EQ(CompareEntries(tree, second, first, SortKey::Name), -GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameComparisonTest,
    testing::Values(NameCase{"abc", "ABD", 'C' - 'D'}, NameCase{"ab", "abc", 0 - 'C'}, NameCase{"Ab", "aB", 0},
                    NameCase{"", "a", 0 - 'A'}, NameCase{"Z", "a", 'Z' - 'A'},
                    NameCase{"_", "a", '_' - 'A'}, // only a..z are mapped: '_' sorts after every letter
                    NameCase{"[", "z", '[' - 'Z'}, NameCase{"\xE4\xB8\xAD", "z", 0xE4 - 'Z'},
                    NameCase{"\x80", "9", 0x80 - '9'},
                    NameCase{"\xC3\xA9", "\xC3\x89", 0xA9 - 0x89})); // no case mapping beyond ASCII

TEST(CompareEntriesTest, SizeGivesSignOnly)
{
    EntryTree tree;
    const EntryId small = tree.addEntry(NoEntry, 0, 1, "b");
    const EntryId large = tree.addEntry(NoEntry, 0, std::int64_t{1} << 40, "a");
    const EntryId negative = tree.addEntry(NoEntry, 0, -5, "c");
    EXPECT_EQ(CompareEntries(tree, small, large, SortKey::Size), -1);
    EXPECT_EQ(CompareEntries(tree, large, small, SortKey::Size), 1);
    EXPECT_EQ(CompareEntries(tree, small, small, SortKey::Size), 0);
    EXPECT_EQ(CompareEntries(tree, negative, small, SortKey::Size), -1);
    EXPECT_EQ(CompareEntries(tree, small, large, SortKey::None), 0);
    EXPECT_EQ(CompareEntries(tree, small, NoEntry, SortKey::Name), 0);
    EXPECT_EQ(CompareEntries(tree, NoEntry, large, SortKey::Size), 0);
}

class SortEntriesTest : public testing::Test {
protected:
    std::vector<std::string> names(EntryId parent) const
    {
        std::vector<std::string> list;
        for (EntryId e = tree.FirstChildEntry(parent); e != NoEntry; e = tree.NextSiblingEntry(e))
            list.emplace_back(tree.name(e));
        return list;
    }

    EntryTree tree;
    EntryId root = tree.addEntry(NoEntry, Directory, 0, "/r");
};

TEST_F(SortEntriesTest, ByNameKeepsEqualNamesInTheirOrderBothWays)
{
    for (const char* name : {"b", "Ab", "c", "\xE4\xB8\xAD", "aB", "9", "A"})
        tree.addEntry(root, 0, 0, name);

    SortEntries(tree, SortKey::Name, SortDirection::Ascending);
    EXPECT_EQ(names(root), (std::vector<std::string>{"9", "A", "Ab", "aB", "b", "c", "\xE4\xB8\xAD"}));

    SortEntries(tree, SortKey::Name, SortDirection::Descending);
    EXPECT_EQ(names(root), (std::vector<std::string>{"\xE4\xB8\xAD", "c", "b", "Ab", "aB", "A", "9"}));
}

TEST_F(SortEntriesTest, BySizeKeepsEqualSizesInTheirOrderBothWays)
{
    const std::vector<std::pair<const char*, std::int64_t>> files{
        {"e1", 5}, {"e2", 9}, {"e3", 5}, {"e4", 1}, {"e5", 9}};
    for (const auto& [name, size] : files)
        tree.addEntry(root, 0, size, name);

    SortEntries(tree, SortKey::Size, SortDirection::Descending);
    EXPECT_EQ(names(root), (std::vector<std::string>{"e2", "e5", "e1", "e3", "e4"}));

    SortEntries(tree, SortKey::Size, SortDirection::Ascending);
    EXPECT_EQ(names(root), (std::vector<std::string>{"e4", "e1", "e3", "e2", "e5"}));
}

TEST_F(SortEntriesTest, SortsEveryFolderAtEveryDepth)
{
    const EntryId outer = tree.addEntry(root, Directory, 3, "outer");
    tree.addEntry(outer, 0, 1, "small");
    const EntryId inner = tree.addEntry(outer, Directory, 2, "inner");
    tree.addEntry(inner, 0, 0, "zero");
    tree.addEntry(inner, 0, 2, "two");
    tree.addEntry(root, 0, 10, "big");
    const EntryId second = tree.addEntry(NoEntry, Directory, 50, "/second");

    SortEntries(tree, SortKey::Size, SortDirection::Descending);
    EXPECT_EQ(names(NoEntry), (std::vector<std::string>{"/second", "/r"}));
    EXPECT_EQ(names(root), (std::vector<std::string>{"big", "outer"}));
    EXPECT_EQ(names(outer), (std::vector<std::string>{"inner", "small"}));
    EXPECT_EQ(names(inner), (std::vector<std::string>{"two", "zero"}));
    EXPECT_EQ(tree.FirstEntry(), second);
}

TEST_F(SortEntriesTest, ADepthLimitOrdersTheLevelsUpToItAndLeavesDeeperOnesAsFound)
{
    const EntryId first = tree.addEntry(root, Directory, 3, "first");
    tree.addEntry(first, 0, 1, "first-small");
    const EntryId inner = tree.addEntry(first, Directory, 2, "inner");
    tree.addEntry(inner, 0, 0, "zero");
    tree.addEntry(inner, 0, 2, "two");
    const EntryId second = tree.addEntry(root, Directory, 7, "second");
    tree.addEntry(second, 0, 3, "second-small");
    tree.addEntry(second, 0, 4, "second-large");
    tree.addEntry(root, 0, 10, "big");
    tree.addEntry(NoEntry, Directory, 50, "/other");

    const std::vector<std::pair<EntryId, std::vector<std::string>>> asFound{{NoEntry, {"/r", "/other"}},
                                                                            {root, {"first", "second", "big"}},
                                                                            {first, {"first-small", "inner"}},
                                                                            {second, {"second-small", "second-large"}},
                                                                            {inner, {"zero", "two"}}};
    const std::vector<std::vector<std::string>> sorted{{"/other", "/r"},
                                                       {"big", "second", "first"},
                                                       {"inner", "first-small"},
                                                       {"second-large", "second-small"},
                                                       {"two", "zero"}};
    const int levelOfChildren[] = {0, 1, 2, 2, 3};

    for (const int limit : {0, 1, 2, 3, -1}) {
        SortEntries(tree, SortKey::Size, SortDirection::Descending, limit);
        for (std::size_t i = 0; i < asFound.size(); ++i) {
            const bool ordered = limit < 0 || levelOfChildren[i] <= limit;
            EXPECT_EQ(names(asFound[i].first), ordered ? sorted[i] : asFound[i].second)
                << "limit " << limit << ", folder " << i;
        }
        // Back to the order found for the next limit.
        for (const auto& [folder, order] : asFound) {
            tree.sortChildrenOf(folder, [&](EntryId a, EntryId b) {
                return std::find(order.begin(), order.end(), tree.name(a))
                    < std::find(order.begin(), order.end(), tree.name(b));
            });
        }
    }
}

TEST_F(SortEntriesTest, NoKeyMovesNothing)
{
    for (const auto& [name, size] : std::vector<std::pair<const char*, std::int64_t>>{{"m", 2}, {"a", 3}, {"z", 1}})
        tree.addEntry(root, 0, size, name);
    for (const SortDirection direction : {SortDirection::Ascending, SortDirection::Descending}) {
        SortEntries(tree, SortKey::None, direction);
        EXPECT_EQ(names(root), (std::vector<std::string>{"m", "a", "z"}));
    }
}

} // namespace
} // namespace tallyvane

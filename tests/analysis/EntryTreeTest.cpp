// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/EntryTree.h"
#include "analysis/PreOrderWalk.h"

#include <gtest/gtest.h>

#include <functional>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tallyvane {
namespace {

using Attribute::Directory;

// /home/ann
//   docs/        a.txt, sub/ (deep.txt), b.txt
//   music/       x.ogg
//   empty/
//   readme
class EntryTreeTest : public testing::Test {
protected:
    EntryTreeTest()
    {
        root = tree.addEntry(NoEntry, Directory, 1000, "/home/ann");
        docs = tree.addEntry(root, Directory, 400, "docs");
        a = tree.addEntry(docs, 0, 100, "a.txt");
        sub = tree.addEntry(docs, Directory, 50, "sub");
        deep = tree.addEntry(sub, 0, 50, "deep.txt");
        b = tree.addEntry(docs, 0, 250, "b.txt");
        music = tree.addEntry(root, Directory, 600, "music");
        x = tree.addEntry(music, 0, 600, "x.ogg");
        empty = tree.addEntry(root, Directory, 0, "empty");
        readme = tree.addEntry(root, 0, 0, "readme");
    }

    std::vector<EntryId> preOrder() const
    {
        std::vector<EntryId> order;
        for (EntryId e = tree.FirstEntry(); e != NoEntry; e = tree.NextEntry(e))
            order.push_back(e);
        return order;
    }

    std::vector<EntryId> children(EntryId parent) const
    {
        std::vector<EntryId> list;
        for (EntryId e = tree.FirstChildEntry(parent); e != NoEntry; e = tree.NextSiblingEntry(e))
            list.push_back(e);
        return list;
    }

    // Every row lookup agrees with the sibling links.
    void expectRowIndexMatchesLinks(EntryId parent) const
    {
        const std::vector<EntryId> list = children(parent);
        ASSERT_EQ(tree.childCount(parent), list.size());
        for (std::uint32_t row = 0; row < list.size(); ++row) {
            EXPECT_EQ(tree.childAt(parent, row), list[row]) << "row " << row;
            EXPECT_EQ(tree.rowOf(list[row]), row);
            expectRowIndexMatchesLinks(list[row]);
        }
        EXPECT_EQ(tree.childAt(parent, static_cast<std::uint32_t>(list.size())), NoEntry);
    }

    EntryTree tree;
    EntryId root, docs, a, sub, deep, b, music, x, empty, readme;
};

TEST_F(EntryTreeTest, ChildrenKeepTheOrderTheyWereAddedIn)
{
    EXPECT_EQ(tree.FirstEntry(), root);
    EXPECT_EQ(children(NoEntry), (std::vector{root}));
    EXPECT_EQ(children(root), (std::vector{docs, music, empty, readme}));
    EXPECT_EQ(children(docs), (std::vector{a, sub, b}));
    EXPECT_EQ(children(empty), std::vector<EntryId>{});
    EXPECT_EQ(tree.ParentEntry(root), NoEntry);
    EXPECT_EQ(tree.ParentEntry(deep), sub);
    EXPECT_EQ(tree.childCount(docs), 3u);
    EXPECT_EQ(tree.EntryCount(), 10u);
}

TEST_F(EntryTreeTest, NextEntryWalksPreOrderClimbingToTheNearestAncestorWithASibling)
{
    EXPECT_EQ(preOrder(), (std::vector{root, docs, a, sub, deep, b, music, x, empty, readme}));
    EXPECT_EQ(tree.NextEntry(deep), b) << "one level up";
    EXPECT_EQ(tree.NextEntry(x), empty) << "leaf to the parent's sibling";
    EXPECT_EQ(tree.NextEntry(readme), NoEntry) << "after the last entry";

    // Climbing several levels at once: the deepest entry's ancestors up to the root have no
    // next sibling, and the next top-level entry follows.
    const EntryId second = tree.addEntry(NoEntry, Directory, 0, "/other");
    const EntryId level1 = tree.addEntry(empty, Directory, 0, "l1");
    const EntryId level2 = tree.addEntry(level1, Directory, 0, "l2");
    const EntryId level3 = tree.addEntry(level2, 0, 0, "l3");
    EXPECT_EQ(tree.NextEntry(level3), readme);
    EXPECT_EQ(tree.NextEntry(readme), second);
    EXPECT_EQ(tree.NextEntry(second), NoEntry);
}

TEST_F(EntryTreeTest, IsBelowOnlyForProperAncestors)
{
    EXPECT_TRUE(tree.IsBelow(deep, sub));
    EXPECT_TRUE(tree.IsBelow(deep, docs));
    EXPECT_TRUE(tree.IsBelow(deep, root));
    EXPECT_FALSE(tree.IsBelow(deep, deep));
    EXPECT_FALSE(tree.IsBelow(sub, deep));
    EXPECT_FALSE(tree.IsBelow(x, docs));
    EXPECT_FALSE(tree.IsBelow(root, root));
    EXPECT_FALSE(tree.IsBelow(root, NoEntry)) << "the hidden top is nobody's ancestor";
}

TEST_F(EntryTreeTest, EntryLevelCountsAncestors)
{
    EXPECT_EQ(tree.EntryLevel(root), 0);
    EXPECT_EQ(tree.EntryLevel(docs), 1);
    EXPECT_EQ(tree.EntryLevel(readme), 1);
    EXPECT_EQ(tree.EntryLevel(sub), 2);
    EXPECT_EQ(tree.EntryLevel(deep), 3);
}

TEST_F(EntryTreeTest, EntryPathEndsEveryNameWithTheSeparator)
{
    EXPECT_EQ(tree.EntryPath(root), "/home/ann/");
    EXPECT_EQ(tree.EntryPath(readme), "/home/ann/readme/");
    EXPECT_EQ(tree.EntryPath(deep), "/home/ann/docs/sub/deep.txt/");
    EXPECT_EQ(tree.EntryPath(NoEntry), "");
}

TEST(EntryPathTest, FileSystemRootDoesNotDoubleTheSeparator)
{
    EntryTree tree;
    const EntryId root = tree.addEntry(NoEntry, Directory, 0, "/");
    const EntryId child = tree.addEntry(root, Directory, 0, "a");
    const EntryId grandchild = tree.addEntry(child, 0, 0, "b");
    EXPECT_EQ(tree.name(root), "/");
    EXPECT_EQ(tree.EntryPath(root), "/");
    EXPECT_EQ(tree.EntryPath(child), "/a/");
    EXPECT_EQ(tree.EntryPath(grandchild), "/a/b/");
}

TEST_F(EntryTreeTest, ClearEntriesEmptiesTheTreeAndItCanBeRefilled)
{
    tree.ClearEntries();
    EXPECT_EQ(tree.EntryCount(), 0u);
    EXPECT_EQ(tree.FirstEntry(), NoEntry);
    EXPECT_EQ(tree.childCount(NoEntry), 0u);
    EXPECT_EQ(tree.childAt(NoEntry, 0), NoEntry);

    const EntryId again = tree.addEntry(NoEntry, Directory, 7, "/srv");
    const EntryId file = tree.addEntry(again, 0, 7, "f");
    EXPECT_EQ(tree.EntryCount(), 2u);
    EXPECT_EQ(tree.FirstEntry(), again);
    EXPECT_EQ(tree.name(again), "/srv");
    EXPECT_EQ(tree.EntryPath(file), "/srv/f/");
    EXPECT_EQ(tree.NextEntry(file), NoEntry);
    expectRowIndexMatchesLinks(NoEntry);
}

TEST_F(EntryTreeTest, RowLookupFollowsAddsSortsAndLaterAdds)
{
    expectRowIndexMatchesLinks(NoEntry);

    // Reverse every folder's children, then add to a sorted folder and to a new one.
    tree.sortChildren([this](EntryId first, EntryId second) { return first > second; });
    EXPECT_EQ(children(root), (std::vector{readme, empty, music, docs}));
    EXPECT_EQ(children(docs), (std::vector{b, sub, a}));
    expectRowIndexMatchesLinks(NoEntry);

    const EntryId late = tree.addEntry(root, 0, 1, "late");
    const EntryId inner = tree.addEntry(empty, 0, 1, "inner");
    EXPECT_EQ(children(root), (std::vector{readme, empty, music, docs, late}));
    EXPECT_EQ(tree.rowOf(late), 4u);
    EXPECT_EQ(tree.childAt(empty, 0), inner);
    expectRowIndexMatchesLinks(NoEntry);

    // A second sort starts from the order the first one left, later adds included.
    tree.sortChildren([this](EntryId first, EntryId second) { return tree.name(first) < tree.name(second); });
    EXPECT_EQ(children(root), (std::vector{docs, empty, late, music, readme}));
    expectRowIndexMatchesLinks(NoEntry);
}

TEST_F(EntryTreeTest, SortChildrenIsStable)
{
    const EntryId c1 = tree.addEntry(music, 0, 5, "c1");
    const EntryId c2 = tree.addEntry(music, 0, 5, "c2");
    const EntryId c3 = tree.addEntry(music, 0, 1, "c3");
    tree.sortChildren([this](EntryId first, EntryId second) { return tree.size(first) < tree.size(second); });
    EXPECT_EQ(children(music), (std::vector{c3, c1, c2, x}));
    EXPECT_EQ(children(root), (std::vector{empty, readme, docs, music}));
    EXPECT_EQ(tree.NextEntry(c2), x);
    EXPECT_EQ(tree.NextEntry(readme), docs);
    EXPECT_EQ(tree.NextEntry(x), NoEntry);
}

TEST_F(EntryTreeTest, PreOrderWalkKeepsLevelsAndStopsAtTheDepthLimit)
{
    std::vector<std::pair<EntryId, int>> all;
    for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next())
        all.emplace_back(walk.entry(), walk.level());
    EXPECT_EQ(
        all,
        (std::vector<std::pair<EntryId, int>>{
            {root, 0}, {docs, 1}, {a, 2}, {sub, 2}, {deep, 3}, {b, 2}, {music, 1}, {x, 2}, {empty, 1}, {readme, 1}}));

    std::vector<std::pair<EntryId, int>> shallow;
    for (PreOrderWalk walk(tree, 1); !walk.atEnd(); walk.next())
        shallow.emplace_back(walk.entry(), walk.level());
    EXPECT_EQ(shallow,
              (std::vector<std::pair<EntryId, int>>{{root, 0}, {docs, 1}, {music, 1}, {empty, 1}, {readme, 1}}));

    std::vector<EntryId> topOnly;
    for (PreOrderWalk walk(tree, 0); !walk.atEnd(); walk.next())
        topOnly.push_back(walk.entry());
    EXPECT_EQ(topOnly, std::vector{root});
}

TEST(PreOrderWalkTest, EmptyTreeIsAtEndAtOnce)
{
    EntryTree tree;
    EXPECT_TRUE(PreOrderWalk(tree).atEnd());
}

TEST(DeepChainTest, HundredThousandLevelsNeedNoRecursion)
{
    constexpr int Depth = 100000;
    EntryTree tree;
    const EntryId root = tree.addEntry(NoEntry, Directory, 0, "/r");
    EntryId bottom = root;
    for (int level = 1; level <= Depth; ++level)
        bottom = tree.addEntry(bottom, Directory, 0, "d");
    const EntryId after = tree.addEntry(root, 0, 0, "after");

    EXPECT_EQ(tree.EntryCount(), std::size_t{Depth} + 2);
    EXPECT_EQ(tree.EntryLevel(bottom), Depth);
    EXPECT_TRUE(tree.IsBelow(bottom, root));
    EXPECT_EQ(tree.NextEntry(bottom), after) << "climbs the whole chain";
    EXPECT_EQ(tree.NextEntry(after), NoEntry);

    std::string expected = "/r/";
    for (int level = 1; level <= Depth; ++level)
        expected += "d/";
    EXPECT_EQ(tree.EntryPath(bottom), expected);

    std::size_t visited = 0;
    int deepest = 0;
    for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next()) {
        ++visited;
        deepest = std::max(deepest, walk.level());
        if (walk.entry() == after) {
            EXPECT_EQ(walk.level(), 1);
        }
    }
    EXPECT_EQ(visited, tree.EntryCount());
    EXPECT_EQ(deepest, Depth);

    tree.sortChildren([&tree](EntryId first, EntryId second) { return tree.name(first) < tree.name(second); });
    EXPECT_EQ(tree.childAt(root, 0), after);
    EXPECT_EQ(tree.rowOf(tree.ParentEntry(bottom)), 0u);
}

// Random adds and sorts, checked against plain per-folder lists after every step.
TEST(EntryTreeModelTest, LinksRowsAndPreOrderAgreeWithAReferenceAfterAddsAndSorts)
{
    std::mt19937 random(7);
    EntryTree tree;
    std::vector<std::vector<EntryId>> childrenOf(1); // indexed by entry, NoEntry first
    std::vector<int> levelOf{-1};

    const auto preOrder = [&] {
        std::vector<EntryId> order;
        std::vector<EntryId> pending(childrenOf[NoEntry].rbegin(), childrenOf[NoEntry].rend());
        while (!pending.empty()) {
            const EntryId e = pending.back();
            pending.pop_back();
            order.push_back(e);
            pending.insert(pending.end(), childrenOf[e].rbegin(), childrenOf[e].rend());
        }
        return order;
    };

    for (int step = 0; step < 40; ++step) {
        const int adds = std::uniform_int_distribution(1, 200)(random);
        for (int i = 0; i < adds; ++i) {
            const auto parent =
                static_cast<EntryId>(std::uniform_int_distribution<std::size_t>(0, childrenOf.size() - 1)(random));
            const std::string name(1, static_cast<char>('a' + random() % 4));
            const EntryId added = tree.addEntry(parent, 0, random() % 3, name);
            ASSERT_EQ(added, childrenOf.size());
            childrenOf[parent].push_back(added);
            childrenOf.emplace_back();
            levelOf.push_back(levelOf[parent] + 1);
        }
        if (step % 3 == 0) {
            const auto bySize = [&tree](EntryId a, EntryId b) { return tree.size(a) < tree.size(b); };
            const auto byName = [&tree](EntryId a, EntryId b) { return tree.name(a) < tree.name(b); };
            const std::function<bool(EntryId, EntryId)> order =
                step % 2 ? std::function<bool(EntryId, EntryId)>(bySize) : byName;
            tree.sortChildren(order);
            for (auto& list : childrenOf)
                std::stable_sort(list.begin(), list.end(), order);
        }

        ASSERT_EQ(tree.EntryCount(), childrenOf.size() - 1);
        std::vector<EntryId> walked;
        for (EntryId e = tree.FirstEntry(); e != NoEntry; e = tree.NextEntry(e))
            walked.push_back(e);
        ASSERT_EQ(walked, preOrder()) << "step " << step;
        for (EntryId parent = 0; parent < childrenOf.size(); ++parent) {
            const std::vector<EntryId>& list = childrenOf[parent];
            ASSERT_EQ(tree.childCount(parent), list.size());
            for (std::uint32_t row = 0; row < list.size(); ++row) {
                ASSERT_EQ(tree.childAt(parent, row), list[row]);
                ASSERT_EQ(tree.rowOf(list[row]), row);
                ASSERT_EQ(tree.ParentEntry(list[row]), parent);
            }
            if (parent != NoEntry) {
                ASSERT_EQ(tree.EntryLevel(parent), levelOf[parent]);
            }
        }
    }
}

} // namespace
} // namespace tallyvane

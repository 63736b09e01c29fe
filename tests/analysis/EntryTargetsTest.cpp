// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/EntryTargets.h"
#include "platform/FileAttributes.h"

#include <gtest/gtest.h>

namespace tallyvane {
namespace {

TEST(EntryTargets, FolderPartDropsTheLastNameOrTheTrailingSeparator)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"/data/Sub/", "/data/Sub"},
        {"/data/a.txt", "/data"},
        {"/", "/"},
        {"/a.txt", "/"},
        {"/data/", "/data"},
        {"//", "//"},
        {"name", ""},
        {"/My Data/x", "/My Data"},
    };
    for (const auto& [path, folder] : cases)
        EXPECT_EQ(FolderPart(path), folder) << path;
}

TEST(EntryTargets, EachCommandGetsTheFolderOrTheFileItNeeds)
{
    EntryTree tree;
    const EntryId data = tree.addEntry(NoEntry, Attribute::Directory, 0, "/data");
    const EntryId sub = tree.addEntry(data, Attribute::Directory, 0, "My Sub");
    const EntryId file = tree.addEntry(data, Attribute::Normal, 1, "a.txt");
    const EntryId deep = tree.addEntry(sub, Attribute::Normal, 1, "b c.txt");
    EntryTree atRoot;
    const EntryId slash = atRoot.addEntry(NoEntry, Attribute::Directory, 0, "/");
    const EntryId top = atRoot.addEntry(slash, Attribute::Normal, 1, "a.txt");

    const std::tuple<const EntryTree*, EntryId, EntryTargets> cases[] = {
        {&tree, data, {"/data", "/data", "/data/", "/data/"}},
        {&tree, sub, {"/data/My Sub", "/data/My Sub", "/data/My Sub/", "/data/My Sub/"}},
        {&tree, file, {"/data", "/data/a.txt", "/data/", "/data/a.txt"}},
        {&tree, deep, {"/data/My Sub", "/data/My Sub/b c.txt", "/data/My Sub/", "/data/My Sub/b c.txt"}},
        {&atRoot, slash, {"/", "/", "/", "/"}},
        {&atRoot, top, {"/", "/a.txt", "/", "/a.txt"}},
    };
    for (const auto& [which, entry, expected] : cases) {
        const EntryTargets targets = TargetsOf(*which, entry);
        SCOPED_TRACE(which->EntryPath(entry));
        EXPECT_EQ(targets.explorerFolder, expected.explorerFolder);
        EXPECT_EQ(targets.openPath, expected.openPath);
        EXPECT_EQ(targets.searchFolder, expected.searchFolder);
        EXPECT_EQ(targets.propertiesPath, expected.propertiesPath);
    }
}

TEST(EntryTargets, TheLargestFileIsTheFirstOfTheBiggestAtAnyDepth)
{
    EntryTree tree;
    const EntryId root = tree.addEntry(NoEntry, Attribute::Directory, 0, "/r");
    tree.addEntry(root, Attribute::Normal, 5, "five");
    const EntryId firstNine = tree.addEntry(root, Attribute::Normal, 9, "nine");
    tree.addEntry(root, Attribute::Normal, 9, "nine too");
    tree.addEntry(root, Attribute::Normal, 2, "two");
    const EntryId folder = tree.addEntry(root, Attribute::Directory, 100, "big folder");
    const EntryId inner = tree.addEntry(folder, Attribute::Directory, 0, "inner");
    const EntryId deepest = tree.addEntry(inner, Attribute::Normal, 20, "deep.bin");
    const EntryId empties = tree.addEntry(root, Attribute::Directory, 0, "empties");
    tree.addEntry(empties, Attribute::Normal, 0, "zero");
    tree.addEntry(NoEntry, Attribute::Normal, 1000, "outside"); // after the subtree: never counts

    EXPECT_EQ(LargestFileBelow(tree, root), deepest) << "folders are no candidates";
    EXPECT_EQ(LargestFileBelow(tree, inner), deepest);
    EXPECT_EQ(LargestFileBelow(tree, empties), NoEntry) << "files of 0 bytes do not count";
    EXPECT_EQ(LargestFileBelow(tree, firstNine), NoEntry) << "a file has nothing below it";
    EXPECT_EQ(LargestFileBelow(tree, NoEntry), NoEntry);
    tree.setSize(deepest, 1);
    EXPECT_EQ(LargestFileBelow(tree, root), firstNine) << "of equal sizes the first stays";
}

} // namespace
} // namespace tallyvane

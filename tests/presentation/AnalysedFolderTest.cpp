// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/FolderScan.h"
#include "platform/PosixFileSystem.h"
#include "presentation/GridColumns.h"
#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tallyvane {
namespace {

std::vector<EntryId> children(const EntryTree& tree, EntryId parent)
{
    std::vector<EntryId> list;
    for (EntryId e = tree.FirstChildEntry(parent); e != NoEntry; e = tree.NextSiblingEntry(e))
        list.push_back(e);
    return list;
}

EntryId childNamed(const EntryTree& tree, EntryId parent, std::string_view name)
{
    for (const EntryId e : children(tree, parent)) {
        if (tree.name(e) == name)
            return e;
    }
    return NoEntry;
}

// What the grid shows right after an analysis of a real folder, once the tree is sorted by
// size, largest first.
TEST(AnalysedFolderTest, SortedBySizeWithEqualSizesInScanOrderAndDashesForEmptyFolders)
{
    test::FixtureTree fixture;
    const std::vector<std::pair<std::string, std::int64_t>> files{
        {"same1", 500}, {"big", 3000}, {"same2", 500}, {"small", 10}, {"same3", 500}};
    for (const auto& [name, length] : files)
        fixture.makeFile(name, length);
    fixture.makeFolder("hollow");
    fixture.makeFolder("hollow/one");
    fixture.makeFolder("hollow/two");

    EntryTree tree;
    PosixFileSystem fileSystem;
    QuietScanHost host;
    FolderScanner(tree, fileSystem, host).ScanFolder(fixture.path() + "/", NoEntry);
    const EntryId root = tree.FirstEntry();

    std::vector<EntryId> sameInScanOrder;
    for (const EntryId e : children(tree, root)) {
        if (tree.size(e) == 500)
            sameInScanOrder.push_back(e);
    }
    ASSERT_EQ(sameInScanOrder.size(), 3u);

    SortEntries(tree, SortKey::Size, SortDirection::Descending);

    std::vector<EntryId> expected{childNamed(tree, root, "big")};
    expected.insert(expected.end(), sameInScanOrder.begin(), sameInScanOrder.end());
    expected.push_back(childNamed(tree, root, "small"));
    std::vector<EntryId> sorted = children(tree, root);
    ASSERT_EQ(sorted.size(), 6u);
    EXPECT_EQ(tree.name(sorted.back()), "hollow");
    sorted.pop_back();
    EXPECT_EQ(sorted, expected);

    EXPECT_EQ(CellText(tree, root, ColumnName).toStdString(), fixture.path());
    EXPECT_EQ(CellText(tree, root, ColumnBytes), "4,510");
    EXPECT_EQ(CellText(tree, root, ColumnSize), "4KB");
    const EntryId hollow = childNamed(tree, root, "hollow");
    EXPECT_EQ(CellText(tree, hollow, ColumnShareInFolder), "0.00%");
    for (const EntryId inner : children(tree, hollow)) {
        EXPECT_EQ(CellText(tree, inner, ColumnShareInFolder), "- %");
        EXPECT_EQ(ShareBarFor(tree, inner, ColumnShareInFolderBar, Rect{0, 0, 206, 18})->rect.right, 3);
    }
    EXPECT_EQ(tree.EntryPath(hollow), fixture.path() + "/hollow/");
}

} // namespace
} // namespace tallyvane

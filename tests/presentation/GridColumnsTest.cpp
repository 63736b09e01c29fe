// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/GridColumns.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

using Attribute::Directory;

std::vector<std::string> cellTexts(const EntryTree& tree, EntryId entry)
{
    std::vector<std::string> texts;
    for (int column = 0; column < GridColumnCount; ++column)
        texts.push_back(CellText(tree, entry, column).toStdString());
    return texts;
}

using Texts = std::vector<std::string>;

// /data 400: f/ 200 (e 100, g 100), z/ 0 (zz 0), h 200
class GridTreeTest : public testing::Test {
protected:
    GridTreeTest()
    {
        root = tree.addEntry(NoEntry, Directory, 400, "/data");
        f = tree.addEntry(root, Directory, 200, "f");
        e = tree.addEntry(f, 0, 100, "e");
        g = tree.addEntry(f, 0, 100, "g");
        z = tree.addEntry(root, Directory, 0, "z");
        zz = tree.addEntry(z, 0, 0, "zz");
        h = tree.addEntry(root, 0, 200, "h");
    }

    EntryTree tree;
    EntryId root, f, e, g, z, zz, h;
};

TEST_F(GridTreeTest, CellTextsOfTheRootRowLeaveTheShareColumnsEmpty)
{
    EXPECT_EQ(cellTexts(tree, root), (Texts{"/data", "400", "400Byte", "", "", "", ""}));
}

TEST_F(GridTreeTest, CellTextsShowSizesAndBothShares)
{
    EXPECT_EQ(cellTexts(tree, e), (Texts{"e", "100", "100Byte", "50.00%", "", "25.00%", ""}));
    EXPECT_EQ(cellTexts(tree, h), (Texts{"h", "200", "200Byte", "50.00%", "", "50.00%", ""}));
}

TEST_F(GridTreeTest, EmptyParentGivesDashShareAndZeroSizeGivesEmptyByteCount)
{
    EXPECT_EQ(cellTexts(tree, zz), (Texts{"zz", "", "0Byte", "- %", "", "0.00%", ""}));
}

TEST(GridCellTest, EmptyRootGivesDashShareOfTotalOnEveryOtherRow)
{
    EntryTree tree;
    const EntryId root = tree.addEntry(NoEntry, Directory, 0, "/");
    const EntryId folder = tree.addEntry(root, Directory, 0, "empty");
    const EntryId inner = tree.addEntry(folder, Directory, 0, "inner");
    EXPECT_EQ(cellTexts(tree, root), (Texts{"/", "", "0Byte", "", "", "", ""}));
    EXPECT_EQ(cellTexts(tree, folder), (Texts{"empty", "", "0Byte", "- %", "", "- %", ""}));
    EXPECT_EQ(cellTexts(tree, inner), (Texts{"inner", "", "0Byte", "- %", "", "- %", ""}));
}

TEST_F(GridTreeTest, NoEntryAndColumnsOutsideTheGridAreEmpty)
{
    EXPECT_EQ(cellTexts(tree, NoEntry), Texts(GridColumnCount, ""));
    for (const int column : {NoColumn, GridColumnCount, 100})
        EXPECT_TRUE(CellText(tree, e, column).isEmpty()) << column;
}

TEST(GridCellTest, NameColumnDecodesUtf8AndReplacesBrokenBytes)
{
    EntryTree tree;
    const EntryId root = tree.addEntry(NoEntry, Directory, 0, "/home/ann");
    const EntryId chinese = tree.addEntry(root, 0, 0, "\xE4\xB8\xAD\xE6\x96\x87");
    const EntryId broken = tree.addEntry(root, 0, 0,
                                         "a\xFF"
                                         "b");
    EXPECT_EQ(CellText(tree, chinese, ColumnName), QString::fromUtf8("中文"));
    EXPECT_EQ(CellText(tree, broken, ColumnName),
              QString::fromUtf8("a\xEF\xBF\xBD"
                                "b"));
}

TEST(GridCellTest, HugeSizesUseTheGeneralFormInTheByteColumn)
{
    EntryTree tree;
    const EntryId root = tree.addEntry(NoEntry, Directory, 1000000000000000000, "/big");
    EXPECT_EQ(CellText(tree, root, ColumnBytes), "1E18");
    EXPECT_EQ(CellText(tree, root, ColumnSize), "931,322,574.6GB");
}

TEST_F(GridTreeTest, StatusTextsNameThePathWithoutTheFolderSeparatorAndTheSize)
{
    EXPECT_EQ(EntryPathText(tree, NoEntry), "");
    EXPECT_EQ(EntryStatusText(tree, NoEntry), "");
    EntryTree top;
    const EntryId slash = top.addEntry(NoEntry, Directory, 2048, "/");
    const EntryId etc = top.addEntry(slash, Directory, 2048, "etc");
    EXPECT_EQ(EntryPathText(top, slash), "/");
    EXPECT_EQ(EntryPathText(top, etc), "/etc");
    EXPECT_EQ(EntryStatusText(top, etc), "/etc  2KB");
}

TEST(SortKeyOfTest, NameAndBothSizeColumnsSortTheRestDoNot)
{
    EXPECT_EQ(SortKeyOf(ColumnName), SortKey::Name);
    EXPECT_EQ(SortKeyOf(ColumnBytes), SortKey::Size);
    EXPECT_EQ(SortKeyOf(ColumnSize), SortKey::Size);
    for (const int column : {NoColumn, 3, 4, 5, 6, GridColumnCount})
        EXPECT_EQ(SortKeyOf(column), SortKey::None) << column;
}

TEST(SortAfterHeaderClickTest, FollowsTheClickSequence)
{
    using enum SortDirection;
    SortState state; // the start: size, largest first
    EXPECT_EQ(state, (SortState{ColumnBytes, Descending}));

    state = SortAfterHeaderClick(state, ColumnName);
    EXPECT_EQ(state, (SortState{ColumnName, Ascending}));
    state = SortAfterHeaderClick(state, ColumnName);
    EXPECT_EQ(state, (SortState{ColumnName, Descending}));
    state = SortAfterHeaderClick(state, ColumnSize);
    EXPECT_EQ(state, (SortState{ColumnBytes, Ascending})) << "the size text column sorts by size";
    state = SortAfterHeaderClick(state, ColumnBytes);
    EXPECT_EQ(state, (SortState{ColumnBytes, Descending}));

    for (int column = 3; column < GridColumnCount; ++column)
        EXPECT_EQ(SortAfterHeaderClick(state, column), state) << column;

    state = SortAfterHeaderClick(state, NoColumn);
    EXPECT_EQ(state, (SortState{NoColumn, Ascending}));
    state = SortAfterHeaderClick(state, NoColumn);
    EXPECT_EQ(state, (SortState{NoColumn, Descending}));
    state = SortAfterHeaderClick(state, ColumnSize);
    EXPECT_EQ(state, (SortState{ColumnBytes, Ascending}));
}

struct ColorCase {
    int level;
    Rgb color;
};

void PrintTo(const ColorCase& c, std::ostream* out)
{
    *out << "level " << c.level;
}

class BarColorsTest : public testing::TestWithParam<ColorCase> {};

TEST_P(BarColorsTest, CyclesThroughNineteenColoursByLevel)
{
    EXPECT_EQ(BarColors(GetParam().level), GetParam().color);
}

INSTANTIATE_TEST_SUITE_P(Levels, BarColorsTest,
                         testing::Values(ColorCase{1, {255, 0, 0}}, ColorCase{2, {0, 128, 0}},
                                         ColorCase{5, {64, 192, 0}}, ColorCase{10, {0, 128, 255}},
                                         ColorCase{18, {128, 128, 0}}, ColorCase{19, {192, 192, 192}},
                                         ColorCase{20, {64, 64, 64}}, ColorCase{21, {255, 0, 0}},
                                         ColorCase{22, {0, 128, 0}}, ColorCase{39, {192, 192, 192}},
                                         ColorCase{40, {64, 64, 64}}, ColorCase{41, {255, 0, 0}}));

// /total 400: folder/ 200 (half 100), empty/ 0 (nothing 0)
class ShareBarTest : public testing::Test {
protected:
    EntryTree tree;
    EntryId root = tree.addEntry(NoEntry, Directory, 400, "/total");
    EntryId folder = tree.addEntry(root, Directory, 200, "folder");
    EntryId half = tree.addEntry(folder, 0, 100, "half");
    EntryId empty = tree.addEntry(root, Directory, 0, "empty");
    EntryId nothing = tree.addEntry(empty, 0, 0, "nothing");
    const Rect cell{10, 20, 216, 38};
};

TEST_F(ShareBarTest, BarsStartThreePixelsInsideTheCell)
{
    const std::optional<ShareBar> inFolder = ShareBarFor(tree, half, ColumnShareInFolderBar, cell);
    ASSERT_TRUE(inFolder.has_value());
    EXPECT_EQ(inFolder->rect, (Rect{13, 23, 113, 35})) << "50 % of the folder";
    EXPECT_EQ(inFolder->color, (Rgb{0, 128, 0})) << "level 2";

    const std::optional<ShareBar> ofTotal = ShareBarFor(tree, half, ColumnShareOfTotalBar, cell);
    ASSERT_TRUE(ofTotal.has_value());
    EXPECT_EQ(ofTotal->rect, (Rect{13, 23, 63, 35})) << "25 % of the total";
    EXPECT_EQ(ofTotal->color, TotalBarColor);
}

TEST_F(ShareBarTest, ZeroWholeGivesAnEmptyBar)
{
    const std::optional<ShareBar> bar = ShareBarFor(tree, nothing, ColumnShareInFolderBar, cell);
    ASSERT_TRUE(bar.has_value());
    EXPECT_EQ(bar->rect, (Rect{13, 23, 13, 35}));

    EntryTree zeroTotal;
    const EntryId top = zeroTotal.addEntry(NoEntry, Directory, 0, "/");
    const EntryId child = zeroTotal.addEntry(top, 0, 0, "a");
    const std::optional<ShareBar> total = ShareBarFor(zeroTotal, child, ColumnShareOfTotalBar, cell);
    ASSERT_TRUE(total.has_value());
    EXPECT_EQ(total->rect.left, total->rect.right);
}

TEST_F(ShareBarTest, RootNoEntryAndOtherColumnsHaveNoBar)
{
    EXPECT_FALSE(ShareBarFor(tree, root, ColumnShareInFolderBar, cell));
    EXPECT_FALSE(ShareBarFor(tree, root, ColumnShareOfTotalBar, cell));
    EXPECT_FALSE(ShareBarFor(tree, NoEntry, ColumnShareInFolderBar, cell));
    EXPECT_FALSE(ShareBarFor(tree, NoEntry, ColumnShareOfTotalBar, cell));
    for (const int column : {0, 1, 2, 3, 5, 7, NoColumn})
        EXPECT_FALSE(ShareBarFor(tree, half, column, cell)) << column;
}

TEST(ShareBarColorTest, FollowsTheEntrysLevel)
{
    EntryTree tree;
    EntryId entry = tree.addEntry(NoEntry, Directory, 1, "/");
    std::vector<Rgb> colors;
    for (int level = 1; level <= 21; ++level) {
        entry = tree.addEntry(entry, Directory, 1, "d");
        colors.push_back(ShareBarFor(tree, entry, ColumnShareInFolderBar, Rect{0, 0, 206, 18})->color);
    }
    EXPECT_EQ(colors[0], (Rgb{255, 0, 0}));
    EXPECT_EQ(colors[18], (Rgb{192, 192, 192}));
    EXPECT_EQ(colors[19], (Rgb{64, 64, 64}));
    EXPECT_EQ(colors[20], (Rgb{255, 0, 0}));
    EXPECT_EQ(ShareBarFor(tree, entry, ColumnShareInFolderBar, Rect{0, 0, 206, 18})->rect.right, 203)
        << "a 100 % share is 200 pixels";
}

} // namespace
} // namespace tallyvane

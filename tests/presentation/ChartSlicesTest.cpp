// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/ChartSlices.h"
#include "support/FolderEntries.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

using Attribute::Directory;

constexpr std::int64_t MiB = std::int64_t{1} << 20;

const QString Gathered = QString::fromUtf8(SmallSlicesText);

using test::AddFolder;
using test::EqualChildren;
using test::FolderChild;

QStringList labelsOf(const std::vector<PieSlice>& slices)
{
    QStringList labels;
    for (const PieSlice& slice : slices)
        labels << slice.label;
    return labels;
}

std::vector<double> valuesOf(const std::vector<PieSlice>& slices)
{
    std::vector<double> values;
    for (const PieSlice& slice : slices)
        values.push_back(slice.value);
    return values;
}

TEST(FolderSlicesTest, LargeChildrenInTreeOrderThenTheGatheredRestWithAutomaticColours)
{
    // Neither sorted by size nor by name: the order a folder listing may give.
    std::vector<FolderChild> children{{"setup.iso", 30 * MiB}};
    for (int i = 0; i < 5; ++i)
        children.push_back({"note" + std::to_string(i), MiB});
    children.push_back({"文档", 60 * MiB, Directory});
    for (int i = 5; i < 10; ++i)
        children.push_back({"note" + std::to_string(i), MiB});
    EntryTree tree;
    const EntryId folder = AddFolder(tree, 100 * MiB, children);

    const std::vector<PieSlice> slices = FolderSlices(tree, folder);

    EXPECT_EQ(labelsOf(slices), (QStringList{"setup.iso\r30.0MB", "文档\r60.0MB", Gathered + "\r10.0MB"}));
    EXPECT_EQ(valuesOf(slices), (std::vector<double>{30.0 * MiB, 60.0 * MiB, 10.0 * MiB}));
    ASSERT_EQ(slices.size(), 3u);
    EXPECT_EQ(slices[0].colour, QColor(255, 0, 0));
    EXPECT_EQ(slices[1].colour, QColor(0, 128, 0));
    EXPECT_EQ(slices[2].colour, QColor(255, 255, 0));
}

TEST(FolderSlicesTest, ChildrenOfASaturatedTotalGiveNoNegativeRest)
{
    // A scan holds a total at the largest size when its children add up to more.
    constexpr std::int64_t Largest = std::numeric_limits<std::int64_t>::max();
    EntryTree tree;
    const EntryId folder = AddFolder(tree, Largest, {{"a", Largest}, {"b", Largest / 2}});

    const std::vector<PieSlice> slices = FolderSlices(tree, folder);

    EXPECT_EQ(valuesOf(slices), (std::vector<double>{static_cast<double>(Largest), static_cast<double>(Largest / 2)}));
    EXPECT_EQ(labelsOf(slices), (QStringList{"a\r8,589,934,592.0GB", "b\r4,294,967,296.0GB"}));
}

TEST(FolderSlicesTest, FollowsTheChildOrderOfTheMomentAndOnlyDirectChildren)
{
    EntryTree tree;
    const EntryId folder = tree.addEntry(NoEntry, Directory, 100, "/data");
    tree.addEntry(folder, 0, 40, "small");
    const EntryId large = tree.addEntry(folder, Directory, 60, "large");
    // Deep entries are no slices of their own, however large.
    tree.addEntry(large, 0, 60, "inner");
    tree.sortChildren([&tree](EntryId first, EntryId second) { return tree.size(first) > tree.size(second); });

    EXPECT_EQ(labelsOf(FolderSlices(tree, folder)), (QStringList{"large\r60Byte", "small\r40Byte"}));
}

struct ThresholdCase {
    const char* what;
    std::int64_t total;
    std::vector<FolderChild> children;
    QStringList labels;
    std::vector<double> values;
};

void PrintTo(const ThresholdCase& c, std::ostream* out)
{
    *out << c.what;
}

class FolderSlicesThresholdTest : public testing::TestWithParam<ThresholdCase> {};

TEST_P(FolderSlicesThresholdTest, ShowsChildrenAboveFivePercentAndGathersTheRest)
{
    EntryTree tree;
    const EntryId folder = AddFolder(tree, GetParam().total, GetParam().children);
    const std::vector<PieSlice> slices = FolderSlices(tree, folder);
    EXPECT_EQ(labelsOf(slices), GetParam().labels);
    EXPECT_EQ(valuesOf(slices), GetParam().values);
}

// Sizes around 20 x (2^58 + 1) are exact in extended precision but not in a double.
constexpr std::int64_t Huge = (std::int64_t{1} << 58) + 1;

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderSlicesThresholdTest,
    testing::Values(ThresholdCase{"two equal halves, nothing to gather",
                                  200 * MiB,
                                  {{"a", 100 * MiB}, {"b", 100 * MiB}},
                                  {"a\r100.0MB", "b\r100.0MB"},
                                  {100.0 * MiB, 100.0 * MiB}},
                    ThresholdCase{"twenty children of exactly 5 % are all gathered",
                                  20 * MiB,
                                  EqualChildren(20, MiB),
                                  {Gathered + "\r20.0MB"},
                                  {20.0 * MiB}},
                    ThresholdCase{"empty entries beside a full one leave nothing to gather",
                                  100 * MiB,
                                  {{"empty", 0, Directory}, {"movie", 100 * MiB}, {"blank", 0}},
                                  {"movie\r100.0MB"},
                                  {100.0 * MiB}},
                    ThresholdCase{"just above 5 %", 99, {{"a", 5}, {"b", 94}}, {"a\r5Byte", "b\r94Byte"}, {5, 94}},
                    ThresholdCase{"exactly 5 % of a size beyond double precision",
                                  20 * Huge,
                                  {{"a", Huge}},
                                  {Gathered + "\r5,368,709,120.0GB"},
                                  {static_cast<double>(20 * Huge)}},
                    // In doubles both sizes round and the share comes out as exactly 5 %.
                    ThresholdCase{"one byte above 5 % of a size beyond double precision",
                                  20 * Huge - 1,
                                  {{"a", Huge}},
                                  {"a\r268,435,456.0GB", Gathered + "\r5,100,273,664.0GB"},
                                  {static_cast<double>(Huge), static_cast<double>(19 * Huge - 1)}},
                    ThresholdCase{"an empty folder", 0, {{"empty", 0}}, {}, {}},
                    ThresholdCase{"a size the folder's record makes negative", -1, {{"a", 5}}, {}, {}}));

struct PercentCase {
    double part;
    double whole;
    int decimals;
    const char* text;
};

void PrintTo(const PercentCase& c, std::ostream* out)
{
    *out << c.part << "/" << c.whole << " with " << c.decimals << " decimals -> " << c.text;
}

class PercentTextTest : public testing::TestWithParam<PercentCase> {};

TEST_P(PercentTextTest, RoundsHalfAwayFromZeroAndDropsTrailingZeros)
{
    EXPECT_EQ(PercentText(GetParam().part, GetParam().whole, GetParam().decimals), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, PercentTextTest,
                         testing::Values(PercentCase{60, 100, 2, "60 %"}, PercentCase{4568, 10000, 2, "45.68 %"},
                                         PercentCase{1, 8, 2, "12.5 %"}, PercentCase{7, 1000, 2, "0.7 %"},
                                         PercentCase{1, 3, 2, "33.33 %"}, PercentCase{2, 3, 2, "66.67 %"},
                                         PercentCase{1, 32, 2, "3.13 %"},   // 3.125: half away from zero, not to even
                                         PercentCase{1, 1600, 2, "0.06 %"}, // 0.0625
                                         PercentCase{1, 800, 2, "0.13 %"},  // 0.125
                                         PercentCase{1, 100000, 2, "0 %"}, PercentCase{100, 100, 2, "100 %"},
                                         PercentCase{26, 100, 0, "26 %"}, PercentCase{1, 40, 0, "3 %"}, // 2.5
                                         PercentCase{1, 200, 0, "1 %"},                                 // 0.5
                                         PercentCase{2, 3, 0, "67 %"}, PercentCase{0, 0, 0, "0 %"},
                                         PercentCase{-1, -1, 0, "100 %"}));

TEST(MarkTextTest, LabelThenPercentageOrThePercentageAlone)
{
    EXPECT_EQ(MarkText("Windows\r12.3GB", 4568, 10000, 2), "Windows\r12.3GB 45.68 %");
    EXPECT_EQ(MarkText(QString(), 26, 100, 0), "26 %");
}

} // namespace
} // namespace tallyvane

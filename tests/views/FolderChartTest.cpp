// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/PieChart.h"

#include "support/FolderEntries.h"
#include "views/GridFonts.h"

#include <QChart>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLineF>
#include <QPieSlice>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

constexpr std::int64_t MiB = std::int64_t{1} << 20;

const QString Gathered = QString::fromUtf8(SmallSlicesText);

using test::AddFolder;
using test::EqualChildren;
using test::FolderChild;

// A 60 MB folder, a 30 MB file and ten files of 1 MB: two slices of their own and a gathered
// rest.
std::vector<FolderChild> mixedChildren()
{
    std::vector<FolderChild> children{{"Windows", 60 * MiB}, {"pagefile.sys", 30 * MiB}};
    for (int i = 0; i < 10; ++i)
        children.push_back({"log" + std::to_string(i), MiB});
    return children;
}

QStringList marksOf(const PieChart& chart)
{
    QStringList marks;
    for (std::size_t i = 0; i < chart.slices().size(); ++i)
        marks << chart.markOf(i);
    return marks;
}

class FolderChartTest : public testing::Test {
protected:
    FolderChartTest() { chart.resize(640, 480); }

    EntryTree tree;
    PieChart chart{FolderChartStyle()};
};

TEST_F(FolderChartTest, SlicesOfAFolderWithLargeAndSmallParts)
{
    chart.chart()->setTitle("left over");
    ShowFolderChart(chart, tree, AddFolder(tree, 100 * MiB, mixedChildren()));

    EXPECT_EQ(marksOf(chart),
              (QStringList{"Windows\r60.0MB 60 %", "pagefile.sys\r30.0MB 30 %", Gathered + "\r10.0MB 10 %"}));
    const QList<QPieSlice*> slices = chart.series()->slices();
    ASSERT_EQ(slices.size(), 3);
    EXPECT_EQ(slices[0]->value(), 60.0 * MiB);
    EXPECT_EQ(slices[1]->value(), 30.0 * MiB);
    EXPECT_EQ(slices[2]->value(), 10.0 * MiB);
    // The colours drawn, not only those asked for: a theme must not override them.
    EXPECT_EQ(slices[0]->color(), QColor(255, 0, 0));
    EXPECT_EQ(slices[1]->color(), QColor(0, 128, 0));
    EXPECT_EQ(slices[2]->color(), QColor(255, 255, 0));
    for (QPieSlice* slice : slices)
        EXPECT_EQ(slice->borderColor(), QColor(Qt::black));
    EXPECT_TRUE(chart.chart()->title().isEmpty());
    EXPECT_FALSE(chart.chart()->legend()->isVisible());
}

struct MarksCase {
    const char* what;
    std::int64_t total;
    std::vector<FolderChild> children;
    QStringList marks;
};

void PrintTo(const MarksCase& c, std::ostream* out)
{
    *out << c.what;
}

class FolderChartMarksTest : public testing::TestWithParam<MarksCase> {};

TEST_P(FolderChartMarksTest, MarksShowLabelAndShareOfThePie)
{
    EntryTree tree;
    PieChart chart(FolderChartStyle());
    ShowFolderChart(chart, tree, AddFolder(tree, GetParam().total, GetParam().children));
    EXPECT_EQ(marksOf(chart), GetParam().marks);
    EXPECT_EQ(chart.series()->count(), GetParam().marks.size());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderChartMarksTest,
    testing::Values(
        MarksCase{"two equal halves", 2 * MiB, {{"a", MiB}, {"b", MiB}}, {"a\r1.0MB 50 %", "b\r1.0MB 50 %"}},
        MarksCase{"twenty parts of exactly 5 %", 20 * MiB, EqualChildren(20, MiB), {Gathered + "\r20.0MB 100 %"}},
        MarksCase{"one full file among empty entries",
                  100 * MiB,
                  {{"empty", 0}, {"movie", 100 * MiB}, {"blank", 0}},
                  {"movie\r100.0MB 100 %"}},
        MarksCase{"shares with decimals",
                  300,
                  {{"a", 100}, {"b", 137}, {"c", 63}},
                  {"a\r100Byte 33.33 %", "b\r137Byte 45.67 %", "c\r63Byte 21 %"}},
        MarksCase{"an empty folder", 0, {{"empty", 0}}, {}}));

TEST_F(FolderChartTest, SecondFolderReplacesTheFirst)
{
    ShowFolderChart(chart, tree, AddFolder(tree, 100 * MiB, mixedChildren()));
    EntryTree other;
    ShowFolderChart(chart, other, AddFolder(other, 2 * MiB, {{"x", MiB}, {"y", MiB}}));
    EXPECT_EQ(marksOf(chart), (QStringList{"x\r1.0MB 50 %", "y\r1.0MB 50 %"}));
    EXPECT_EQ(chart.series()->count(), 2);

    EntryTree empty;
    ShowFolderChart(chart, empty, AddFolder(empty, 0, {}));
    EXPECT_TRUE(chart.slices().empty());
    EXPECT_EQ(chart.series()->count(), 0);
}

TEST_F(FolderChartTest, MarksShowTheirTextLiterally)
{
    ShowFolderChart(chart, tree,
                    AddFolder(tree, 100 * MiB,
                              {{"<b>x", 40 * MiB}, {"Tom & Jerry  (2)", 40 * MiB}, {"tiny", MiB}, {"tinier", MiB}}));
    const QStringList marks = marksOf(chart);
    ASSERT_EQ(marks.size(), 3);
    EXPECT_EQ(marks[0], "<b>x\r40.0MB 40 %");
    EXPECT_EQ(marks[2], Gathered + "\r20.0MB 20 %");

    for (std::size_t i = 0; i < 3; ++i) {
        QString expected = marks[static_cast<qsizetype>(i)];
        expected.replace('\r', '\n');
        EXPECT_EQ(chart.markLayout(i).lines.join('\n'), expected) << expected.toStdString();
    }

    const QImage image = chart.grab().toImage();
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::black));
}

// The bounding box of the pixels painted in colour.
QRect extentOf(const QImage& image, const QColor& colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

TEST_F(FolderChartTest, PieStaysRoundWhateverTheWidgetsShape)
{
    // One slice covering the whole pie, so its extent is the pie's.
    ShowFolderChart(chart, tree, AddFolder(tree, MiB, {{"all", MiB}}));
    for (const QSize size : {QSize(700, 250), QSize(250, 700)}) {
        chart.resize(size);
        const QImage image = chart.grab().toImage();
        const QRect pie = extentOf(image, QColor(255, 0, 0));
        ASSERT_FALSE(pie.isEmpty());
        EXPECT_LE(std::abs(pie.width() - pie.height()), 2) << size.width() << "x" << size.height();
    }
}

// The distance from the pie's centre to the nearest point of a mark's box.
qreal clearance(const PieChart& chart, const QRectF& box)
{
    const QPointF centre = chart.pieCentre();
    const QPointF nearest(std::clamp(centre.x(), box.left(), box.right()),
                          std::clamp(centre.y(), box.top(), box.bottom()));
    return QLineF(centre, nearest).length();
}

TEST_F(FolderChartTest, LongNamesAreShortenedNeverTheFigures)
{
    std::vector<FolderChild> children;
    for (int i = 0; i < 4; ++i)
        children.push_back({"a_rather_long_file_name_number_" + std::to_string(i) + "_for_label_layout.bin", 25 * MiB});
    ShowFolderChart(chart, tree, AddFolder(tree, 100 * MiB, children));
    chart.resize(420, 300);
    chart.grab();
    const QRectF view(chart.viewport()->rect());
    for (std::size_t i = 0; i < 4; ++i) {
        const PieChart::MarkLayout layout = chart.markLayout(i);
        ASSERT_EQ(layout.lines.size(), 2) << i;
        EXPECT_EQ(layout.lines[1], "25.0MB 25 %");
        EXPECT_TRUE(layout.lines[0].contains(QStringLiteral("…"))) << layout.lines[0].toStdString();
        EXPECT_TRUE(layout.lines[0].startsWith("a_rather")) << layout.lines[0].toStdString();
        EXPECT_TRUE(view.contains(layout.text)) << i;
        EXPECT_GE(clearance(chart, layout.text), chart.pieRadius());
    }
}

TEST_F(FolderChartTest, AWholePieHasItsMarkBesideItAndNoSeam)
{
    ShowFolderChart(chart, tree, AddFolder(tree, MiB, {{"all", MiB}}));
    const QImage image = chart.grab().toImage();
    const PieChart::MarkLayout layout = chart.markLayout(0);
    EXPECT_GE(clearance(chart, layout.text), chart.pieRadius());
    // Every pixel of the disc, short of its antialiased rim, is the slice's red.
    const QPointF centre = chart.pieCentre();
    const qreal inside = chart.pieRadius() - 3;
    int other = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (QLineF(centre, QPointF(x + 0.5, y + 0.5)).length() < inside
                && image.pixelColor(x, y) != QColor(255, 0, 0))
                ++other;
        }
    }
    EXPECT_EQ(other, 0);
}

TEST(PieChartMarks, AnEmptySliceIsLabelledToo)
{
    PieChart chart({QColor(Qt::white), 0, PieChart::MarkPlacement::Inside});
    chart.resize(300, 300);
    chart.addSlice({0, QString(), QColor(0, 0, 255)});
    chart.addSlice({100, QString(), QColor(255, 0, 255)});
    const QImage image = chart.grab().toImage();
    const PieChart::MarkLayout empty = chart.markLayout(0);
    EXPECT_EQ(empty.lines, QStringList{"0 %"});
    // Drawn: some pixel of its box is the mark's white on the magenta slice.
    int drawn = 0;
    const QRect box = empty.text.toAlignedRect();
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x)
            drawn += image.pixelColor(x, y) == QColor(Qt::white);
    }
    EXPECT_GT(drawn, 0);
}

TEST(PieChartMarks, LatinAndChineseShareOneFace)
{
    if (QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty())
        GTEST_SKIP() << "no Chinese face installed";
    // The face the grid and the marks draw with holds both scripts, so neither falls back.
    const QString family = QFontInfo(GridFont()).family();
    EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese))
        << family.toStdString();
    EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::Latin)) << family.toStdString();
}

} // namespace
} // namespace tallyvane

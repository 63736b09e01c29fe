// SPDX-License-Identifier: GPL-3.0-or-later
#include "GridFixture.h"
#include "GridLook.h"

#include "report/GridReport.h"
#include "report/HtmlReport.h"
#include "report/ReportSink.h"
#include "report/TextReport.h"

#include "views/EntryModel.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QToolTip>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace tallyvane {
namespace {

using test::GridFixture;

// The names of a folder's children in their current order.
std::vector<std::string> childNames(const EntryTree& tree, EntryId folder)
{
    std::vector<std::string> names;
    for (EntryId child = tree.FirstChildEntry(folder); child != NoEntry; child = tree.NextSiblingEntry(child))
        names.emplace_back(tree.name(child));
    return names;
}

void fillSorting(GridFixture& f)
{
    f.add("", "/data/");
    f.add("/data", "abc", 2);
    f.add("/data", "ABD", 3);
    f.add("/data", "ab", 1);
    f.add("/data", "Zed", 3);
}

class ShownGrid : public ::testing::Test {
protected:
    ShownGrid()
    {
        f.grid.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f.grid));
    }

    QPoint headerPoint(int column) const
    {
        const QHeaderView* header = f.grid.header();
        return {header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2};
    }

    void clickHeader(int column, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(f.grid.header()->viewport(), button, {}, headerPoint(column));
    }

    GridFixture f;
};

TEST_F(ShownGrid, HeaderClicksChooseSortColumnAndFlipTheDirection)
{
    f.analyse(fillSorting);
    const EntryTree& tree = f.grid.tree();
    const EntryId root = tree.FirstEntry();
    using V = std::vector<std::string>;
    EXPECT_EQ(childNames(tree, root), (V{"ABD", "Zed", "abc", "ab"})) << "largest first, ties in scan order";

    struct Step {
        int column;
        Qt::MouseButton button;
        SortState state;
        V order;
    };
    const Step steps[] = {
        {ColumnName, Qt::LeftButton, {ColumnName, SortDirection::Ascending}, {"ab", "abc", "ABD", "Zed"}},
        {ColumnName, Qt::RightButton, {ColumnName, SortDirection::Descending}, {"Zed", "ABD", "abc", "ab"}},
        // Equal sizes keep the order the name sort left them in.
        {ColumnSize, Qt::LeftButton, {ColumnBytes, SortDirection::Ascending}, {"ab", "abc", "Zed", "ABD"}},
        {ColumnShareOfTotal, Qt::LeftButton, {ColumnBytes, SortDirection::Ascending}, {"ab", "abc", "Zed", "ABD"}},
        {ColumnBytes, Qt::MiddleButton, {ColumnBytes, SortDirection::Descending}, {"Zed", "ABD", "abc", "ab"}},
    };
    for (const Step& step : steps) {
        clickHeader(step.column, step.button);
        EXPECT_EQ(f.grid.sortState(), step.state) << "click on column " << step.column;
        EXPECT_EQ(childNames(tree, root), step.order) << "click on column " << step.column;
        EXPECT_EQ(f.grid.header()->sortIndicatorSection(), step.state.column);
        EXPECT_EQ(f.grid.header()->sortIndicatorOrder(),
                  step.state.direction == SortDirection::Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    }

    // Beside the captions: no sort column, the order stays and the mark goes.
    const QHeaderView* header = f.grid.header();
    const int end = header->sectionViewportPosition(header->logicalIndex(header->count() - 1))
        + header->sectionSize(header->logicalIndex(header->count() - 1));
    ASSERT_LT(end + 20, header->width());
    QTest::mouseClick(f.grid.header()->viewport(), Qt::LeftButton, {}, {end + 10, header->height() / 2});
    EXPECT_EQ(f.grid.sortState().column, NoColumn);
    EXPECT_FALSE(header->isSortIndicatorShown());
    EXPECT_EQ(childNames(tree, root), (V{"Zed", "ABD", "abc", "ab"}));

    // A later analysis keeps every folder in scan order.
    f.analyse(fillSorting);
    EXPECT_EQ(childNames(tree, tree.FirstEntry()), (V{"abc", "ABD", "ab", "Zed"}));
}

TEST_F(ShownGrid, HeaderClicksDuringAnUpdateBlockSortWhenItCloses)
{
    f.analyse(fillSorting);
    const EntryId root = f.grid.tree().FirstEntry();
    f.grid.BeginGridUpdate();
    clickHeader(ColumnName);
    EXPECT_EQ(f.grid.sortState(), (SortState{ColumnName, SortDirection::Ascending}));
    EXPECT_EQ(childNames(f.grid.tree(), root), (std::vector<std::string>{"ABD", "Zed", "abc", "ab"}));
    f.grid.EndGridUpdate();
    EXPECT_EQ(childNames(f.grid.tree(), root), (std::vector<std::string>{"ab", "abc", "ABD", "Zed"}));
}

void fillNested(GridFixture& f)
{
    f.add("", "/data/");
    f.add("/data", "a/");
    f.add("a", "b/");
    f.add("b", "c/");
    f.add("c", "deep.txt", 10);
    f.add("b", "b.txt", 20);
    f.add("a", "d/");
    f.add("d", "e/");
    f.add("e", "e.txt", 5);
    f.add("/data", "f/");
    f.add("f", "f.txt", 1);
}

TEST_F(ShownGrid, AnalysisLeavesTheRootSelectedExpandedAndFocused)
{
    QSignalSpy status(&f.grid, &ResultGrid::statusTextChanged);
    f.analyse(fillNested);
    const EntryId root = f.grid.tree().FirstEntry();
    EXPECT_EQ(f.grid.FocusedEntry(), root);
    EXPECT_EQ(f.grid.SelectedEntry(), root);
    EXPECT_TRUE(f.grid.IsExpanded(root));
    EXPECT_TRUE(f.grid.isExpanded(f.grid.entryModel().indexOf(root)));
    EXPECT_EQ(f.grid.currentIndex(), f.grid.entryModel().indexOf(root));
    EXPECT_TRUE(f.grid.selectionModel()->isRowSelected(0, {}));
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.last().at(0).toString(), "/data");
}

TEST_F(ShownGrid, CollapsingAFolderTakesTheFocusOutOfIt)
{
    f.analyse(fillNested);
    f.grid.RevealEntry(f["deep.txt"]);
    f.grid.FocusEntry(f["deep.txt"]);
    QSignalSpy status(&f.grid, &ResultGrid::statusTextChanged);

    f.grid.collapse(f.grid.entryModel().indexOf(f["f"])); // does not hold the focus
    EXPECT_EQ(f.grid.FocusedEntry(), f["deep.txt"]);
    EXPECT_EQ(status.count(), 0);

    f.grid.collapse(f.grid.entryModel().indexOf(f["b"]));
    EXPECT_EQ(f.grid.FocusedEntry(), f["b"]);
    EXPECT_EQ(f.grid.SelectedEntry(), f["b"]);
    EXPECT_FALSE(f.grid.IsExpanded(f["b"]));
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.last().at(0).toString(), "/data/a/b");
}

TEST_F(ShownGrid, SubtreesExpandAndCollapseAsAWhole)
{
    f.analyse(fillNested);
    ResultGrid& grid = f.grid;
    grid.ExpandSubtree(f["a"]);
    for (const char* name : {"a", "b", "c", "d", "e"})
        EXPECT_TRUE(grid.IsExpanded(f[name])) << name;
    EXPECT_FALSE(grid.IsExpanded(f["f"])) << "outside the subtree";
    EXPECT_TRUE(grid.isExpanded(grid.entryModel().indexOf(f["e"])));

    // The walk back starts at the last shown entry: with d collapsed that is d itself, so e,
    // inside it, keeps its state; the rest of a's subtree collapses, each collapse pulling
    // the focus along.
    grid.collapse(grid.entryModel().indexOf(f["d"]));
    grid.FocusEntry(f["deep.txt"]);
    grid.CollapseSubtree(f["a"]);
    for (const char* name : {"a", "b", "c"})
        EXPECT_FALSE(grid.IsExpanded(f[name])) << name;
    EXPECT_TRUE(grid.IsExpanded(f["e"]));
    EXPECT_EQ(grid.FocusedEntry(), f["a"]);
    EXPECT_EQ(grid.SelectedEntry(), f["a"]);

    // Collapsing a collapsed folder changes nothing; the whole tree collapses with NoEntry.
    grid.CollapseSubtree(f["a"]);
    EXPECT_TRUE(grid.IsExpanded(f["e"]));
    grid.ExpandSubtree(NoEntry);
    grid.CollapseSubtree(NoEntry);
    for (const char* name : {"/data", "a", "b", "c", "d", "e", "f"})
        EXPECT_FALSE(grid.IsExpanded(f[name])) << name;
    EXPECT_EQ(grid.FocusedEntry(), f["/data"]);
    EXPECT_FALSE(grid.isExpanded(grid.entryModel().indexOf(f["/data"])));
}

TEST_F(ShownGrid, ARightClickShowsTheMenuOnlyOnNamesAndMovesNothing)
{
    f.analyse(fillNested);
    QMenu menu;
    menu.addAction(QStringLiteral("item"));
    QSignalSpy shown(&menu, &QMenu::aboutToShow);
    f.grid.setPopupMenu(&menu);
    const QModelIndex row = f.grid.entryModel().indexOf(f["a"]);

    auto rightClick = [&](int column) {
        const QRect cell = f.grid.visualRect(f.grid.entryModel().index(row.row(), column, row.parent()));
        QTest::mouseClick(f.grid.viewport(), Qt::RightButton, {}, cell.center());
        QContextMenuEvent event(QContextMenuEvent::Mouse, cell.center(), f.grid.viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(f.grid.viewport(), &event);
        menu.hide();
    };
    rightClick(ColumnSize);
    EXPECT_EQ(shown.count(), 0);
    rightClick(ColumnName);
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(f.grid.FocusedEntry(), f["/data"]);
    EXPECT_EQ(f.grid.SelectedEntry(), f["/data"]);

    QContextMenuEvent key(QContextMenuEvent::Keyboard, {}, f.grid.viewport()->mapToGlobal(QPoint()));
    QApplication::sendEvent(f.grid.viewport(), &key);
    menu.hide();
    EXPECT_EQ(shown.count(), 2);
}

TEST_F(ShownGrid, BarsShowTheSharesInLevelColours)
{
    f.analyse([](GridFixture& g) {
        g.add("", "/data/");
        g.add("/data", "half/");
        g.add("half", "quarter.bin", 250);
        g.add("half", "rest.bin", 250);
        g.add("/data", "other.bin", 500);
    });
    f.grid.ExpandEntry(f["half"]);
    const QImage image = f.grid.viewport()->grab().toImage();
    const auto barLength = [&](EntryId entry, int column, QColor color) {
        const QModelIndex row = f.grid.entryModel().indexOf(entry);
        const QRect cell = f.grid.visualRect(f.grid.entryModel().index(row.row(), column, row.parent()));
        const int y = cell.center().y();
        EXPECT_NE(image.pixelColor(cell.left() + 2, y), color) << "a 3-pixel margin";
        int length = 0;
        while (image.pixelColor(cell.left() + 3 + length, y) == color)
            ++length;
        EXPECT_EQ(image.pixelColor(cell.left() + 3, cell.top() + 2), image.pixelColor(cell.left() + 1, cell.top() + 2))
            << "the bar starts 3 pixels below the top";
        return length;
    };
    const QColor red(255, 0, 0);
    const QColor green(0, 128, 0);
    EXPECT_EQ(barLength(f["half"], ColumnShareInFolderBar, red), 100);
    EXPECT_EQ(barLength(f["half"], ColumnShareOfTotalBar, red), 100);
    EXPECT_EQ(barLength(f["quarter.bin"], ColumnShareInFolderBar, green), 100);
    EXPECT_EQ(barLength(f["quarter.bin"], ColumnShareOfTotalBar, red), 50);
    EXPECT_EQ(barLength(f["/data"], ColumnShareOfTotalBar, red), 0) << "the root has no bars";
}

TEST_F(ShownGrid, StatusTextIsTheFocusedPath)
{
    QSignalSpy status(&f.grid, &ResultGrid::statusTextChanged);
    f.analyse([](GridFixture& g) {
        g.add("", "//");
        g.add("/", "etc/");
        g.add("etc", "passwd", 1);
    });
    EXPECT_EQ(status.last().at(0).toString(), "/") << "the file-system root keeps its separator";
    f.grid.FocusEntry(f["passwd"]);
    EXPECT_EQ(status.last().at(0).toString(), "/etc/passwd");
    f.grid.FocusEntry(NoEntry);
    EXPECT_EQ(status.last().at(0).toString(), "");
}

TEST_F(ShownGrid, TypingFindsNamesInCollapsedFoldersToo)
{
    f.analyse(fillNested);
    f.grid.setFocus();
    QTest::keyClicks(&f.grid, "e.");
    EXPECT_EQ(f.grid.FocusedEntry(), f["e.txt"]);
    EXPECT_EQ(f.grid.SelectedEntry(), f["e.txt"]);
    EXPECT_TRUE(f.grid.IsExpanded(f["e"]));
    EXPECT_TRUE(f.grid.IsExpanded(f["d"]));

    // After a pause the text starts anew, from the entry after the focused one.
    QTest::qWait(250);
    QTest::keyClicks(&f.grid, "F");
    EXPECT_EQ(f.grid.FocusedEntry(), f["f"]);
}

TEST_F(ShownGrid, TheReportFollowsVisibleColumnsTheirOrderAndWidths)
{
    f.grid.SetColumnVisible(ColumnShareInFolder, false);
    f.grid.SetColumnVisible(ColumnName, false); // the name column is always shown
    f.grid.header()->moveSection(f.grid.header()->visualIndex(ColumnName), 2);
    f.grid.setColumnWidth(ColumnBytes, 123);
    const GridReport report = f.grid.reportDescription();
    std::vector<int> columns;
    for (const ReportColumn& column : report.columns)
        columns.push_back(column.index);
    EXPECT_EQ(columns, (std::vector<int>{ColumnBytes, ColumnSize, ColumnName, ColumnShareInFolderBar,
                                         ColumnShareOfTotal, ColumnShareOfTotalBar}));
    EXPECT_EQ(report.columns[0].width, 123);
    EXPECT_EQ(report.columns[0].caption, "大小(字节)");
    EXPECT_EQ(report.columns[2].width, 200);
    EXPECT_EQ(report.gridFont.color.source, ReportColor::Source::WindowText);
}

TEST_F(ShownGrid, BarColumnsKeepTheirWidth)
{
    f.analyse(fillNested);
    f.grid.resizeColumnToContents(ColumnShareInFolderBar);
    f.grid.resizeColumnToContents(ColumnName);
    EXPECT_EQ(f.grid.columnWidth(ColumnShareInFolderBar), 206);
    EXPECT_EQ(f.grid.header()->sectionResizeMode(ColumnShareOfTotalBar), QHeaderView::Fixed);
    EXPECT_NE(f.grid.columnWidth(ColumnName), 200);
}


TEST_F(ShownGrid, SelectionWithoutFocusIsFilledAndFramedInGreyText)
{
    QLineEdit elsewhere;
    elsewhere.show();
    f.analyse(fillNested);
    elsewhere.activateWindow();
    test::expectGreyInactiveSelection(f.grid, elsewhere);
}

TEST_F(ShownGrid, HeaderHasRaisedPlatesAndHighlightsTheColumnUnderTheMouse)
{
    test::expectRaisedHeaderWithHover(f.grid);
}

TEST_F(ShownGrid, SortMarkLeavesTheCaptionWhole)
{
    // Column 1 carries the mark after every analysis; the caption's pixels are those it has
    // without the mark.
    QHeaderView* header = f.grid.header();
    const QRect section(header->sectionViewportPosition(ColumnBytes), 0, header->sectionSize(ColumnBytes), header->height());
    const QImage marked = header->viewport()->grab(section).toImage();
    header->setSortIndicatorShown(false);
    const QImage plain = header->viewport()->grab(section).toImage();
    header->setSortIndicatorShown(true);
    const int captionEnd = GridHeader::CaptionPadding + header->fontMetrics().horizontalAdvance(QStringLiteral("大小(字节)"));
    ASSERT_LE(captionEnd, section.width() - GridHeader::SortMarkRoom);
    int changed = 0;
    for (int y = 2; y < plain.height() - 2; ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            if (marked.pixelColor(x, y) != plain.pixelColor(x, y)) {
                ++changed;
                EXPECT_GT(x, captionEnd) << "the mark reaches into the caption at x " << x;
            }
        }
    }
    EXPECT_GT(changed, 0) << "no mark drawn";
}

// Drags a header caption by the mouse from one column's middle to a point.
void dragCaption(ResultGrid& grid, int column, QPoint to)
{
    QWidget* header = grid.header()->viewport();
    const QPoint from(grid.header()->sectionViewportPosition(column) + grid.header()->sectionSize(column) / 2,
                      grid.header()->height() / 2);
    QTest::mousePress(header, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 10; ++step)
        QTest::mouseMove(header, from + (to - from) * step / 10);
    QTest::mouseRelease(header, Qt::LeftButton, {}, to);
}

TEST_F(ShownGrid, EveryColumnDragsAndTheExportFollowsTheDisplayOrder)
{
    f.analyse([](GridFixture& g) {
        g.add("", "/data/");
        g.add("/data", "a.txt", 1234);
    });
    QHeaderView* header = f.grid.header();
    // The name column to the right of 大小, then 总% before everything.
    dragCaption(f.grid, ColumnName, {header->sectionViewportPosition(ColumnSize) + header->sectionSize(ColumnSize) - 5, 8});
    EXPECT_EQ(header->visualIndex(ColumnName), 2);
    dragCaption(f.grid, ColumnShareOfTotal, {3, 8});
    EXPECT_EQ(header->visualIndex(ColumnShareOfTotal), 0);
    EXPECT_EQ(header->visualIndex(ColumnName), 3);

    StringSink text;
    ExportText(f.grid.reportDescription(), f.grid.tree(), "|", text);
    EXPECT_EQ(text.text(), "总%|大小(字节)|大小|名称||文件夹内%|文件夹内比列图|总比列图\r\n"
                           "|1,234|1KB|/data||||\r\n"
                           "100.00%|1,234|1KB||a.txt|100.00%||\r\n");
    StringSink html;
    ExportHtml(f.grid.reportDescription(), f.grid.tree(), QStringLiteral("c"), html);
    // The name's header cell spans the indentation wherever it stands.
    const std::string& page = html.text();
    const std::size_t size = page.find(">大小</th>");
    const std::size_t span = page.find("colspan=\"2\"");
    const std::size_t name = page.find(">名称</th>");
    EXPECT_LT(page.find(">总%</th>"), size);
    EXPECT_LT(size, span);
    EXPECT_LT(span, name);
    EXPECT_EQ(page.find('<', span), name + std::string(">名称").size());
}

TEST_F(ShownGrid, WindowAndCommandLineExportOneHeaderColour)
{
    QPalette colors = f.grid.palette();
    colors.setColor(QPalette::Button, QColor(0x12, 0x34, 0x56));
    f.grid.setPalette(colors);
    EXPECT_EQ(f.grid.reportDescription().buttonFace, DefaultGridReport().buttonFace);
    EXPECT_EQ(DefaultGridReport().buttonFace, (Rgb{0xF0, 0xF0, 0xF0}));
}

TEST_F(ShownGrid, AByteCountCutShortShowsWholeInItsTooltip)
{
    f.analyse([](GridFixture& g) {
        g.add("", "/data/");
        g.add("/data", "big", 13'988'505'040'123);
    });
    const QModelIndex bytes = f.grid.model()->index(0, ColumnBytes);
    EXPECT_EQ(f.grid.columnWidth(ColumnBytes), 100);
    const QString whole = bytes.data().toString();
    ASSERT_EQ(whole, "13,988,505,040,123");
    const QRect cell = f.grid.visualRect(bytes);
    QHelpEvent help(QEvent::ToolTip, cell.center(), f.grid.viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(f.grid.viewport(), &help);
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 2000));
    EXPECT_EQ(QToolTip::text(), whole);
    QToolTip::hideText();
}

} // namespace
} // namespace tallyvane

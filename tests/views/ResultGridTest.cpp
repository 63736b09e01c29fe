// SPDX-License-Identifier: GPL-3.0-or-later
#include "GridFixture.h"
#include "GridLook.h"
#include "support/StackLimit.h"

#include "report/GridReport.h"
#include "report/HtmlReport.h"
#include "report/ReportSink.h"
#include "report/TextReport.h"

#include "platform/FileAttributes.h"
#include "views/EntryModel.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

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

    QRect cellOf(EntryId entry, int column = ColumnName) const
    {
        return f.grid.visualRect(f.grid.entryModel().indexOf(entry, column));
    }

    // The width of one level's slot: a top-level entry's indentation.
    int slotWidth() const { return f.grid.indentationOf(f.grid.tree().FirstEntry()); }

    // The centre of entry's own slot, the last of its indentation, where a folder's button is.
    QPoint buttonOf(EntryId entry) const
    {
        const QRect cell = cellOf(entry);
        return {cell.left() + f.grid.indentationOf(entry) - slotWidth() / 2, cell.center().y()};
    }

    void clickButtonOf(EntryId entry) { QTest::mouseClick(f.grid.viewport(), Qt::LeftButton, {}, buttonOf(entry)); }

    bool isShown(EntryId entry) const { return f.grid.entryModel().indexOf(entry).isValid(); }

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

TEST_F(ShownGrid, HeaderClicksDuringAnUpdateBlockShowWhenItCloses)
{
    f.analyse(fillSorting);
    const EntryId root = f.grid.tree().FirstEntry();
    f.grid.BeginGridUpdate();
    clickHeader(ColumnName);
    EXPECT_EQ(f.grid.sortState(), (SortState{ColumnName, SortDirection::Ascending}));
    EXPECT_FALSE(f.grid.updatesEnabled()) << "nothing is painted before the block closes";
    f.grid.EndGridUpdate();
    EXPECT_TRUE(f.grid.updatesEnabled());
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
    EXPECT_TRUE(isShown(f["a"])) << "the root's children are shown";
    EXPECT_FALSE(isShown(f["b"]));
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

    clickButtonOf(f["f"]);
    EXPECT_TRUE(f.grid.IsExpanded(f["f"]));
    clickButtonOf(f["f"]); // does not hold the focus
    EXPECT_FALSE(f.grid.IsExpanded(f["f"]));
    EXPECT_EQ(f.grid.FocusedEntry(), f["deep.txt"]);
    EXPECT_EQ(status.count(), 0);

    clickButtonOf(f["b"]);
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
    EXPECT_TRUE(isShown(f["e.txt"]));

    // The walk back starts at the last shown entry: with d collapsed that is d itself, so e,
    // inside it, keeps its state; the rest of a's subtree collapses, each collapse pulling
    // the focus along.
    clickButtonOf(f["d"]);
    EXPECT_FALSE(grid.IsExpanded(f["d"]));
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
    EXPECT_EQ(grid.model()->rowCount(), 1) << "only the root is shown";
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
    EXPECT_EQ(columns,
              (std::vector<int>{ColumnBytes, ColumnSize, ColumnName, ColumnShareInFolderBar, ColumnShareOfTotal,
                                ColumnShareOfTotalBar}));
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
    const QRect section(header->sectionViewportPosition(ColumnBytes), 0, header->sectionSize(ColumnBytes),
                        header->height());
    const QImage marked = header->viewport()->grab(section).toImage();
    header->setSortIndicatorShown(false);
    const QImage plain = header->viewport()->grab(section).toImage();
    header->setSortIndicatorShown(true);
    const int captionEnd =
        GridHeader::CaptionPadding + header->fontMetrics().horizontalAdvance(QStringLiteral("大小(字节)"));
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
    dragCaption(f.grid, ColumnName,
                {header->sectionViewportPosition(ColumnSize) + header->sectionSize(ColumnSize) - 5, 8});
    EXPECT_EQ(header->visualIndex(ColumnName), 2);
    dragCaption(f.grid, ColumnShareOfTotal, {3, 8});
    EXPECT_EQ(header->visualIndex(ColumnShareOfTotal), 0);
    EXPECT_EQ(header->visualIndex(ColumnName), 3);

    StringSink text;
    ExportText(f.grid.reportDescription(), f.grid.tree(), "|", text);
    EXPECT_EQ(text.text(),
              "总%|大小(字节)|大小|名称||文件夹内%|文件夹内比列图|总比列图\r\n"
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

TEST_F(ShownGrid, TheExpandButtonTogglesAFolderAndMovesNeitherFocusNorSelection)
{
    f.analyse(fillNested);
    QSignalSpy status(&f.grid, &ResultGrid::statusTextChanged);
    clickButtonOf(f["a"]);
    EXPECT_TRUE(f.grid.IsExpanded(f["a"]));
    EXPECT_TRUE(isShown(f["b"]));
    EXPECT_TRUE(isShown(f["d"]));
    EXPECT_EQ(f.grid.FocusedEntry(), f["/data"]);
    EXPECT_EQ(f.grid.SelectedEntry(), f["/data"]);
    EXPECT_EQ(f.grid.currentIndex(), f.grid.entryModel().indexOf(f["/data"]));
    EXPECT_EQ(status.count(), 0);
    clickButtonOf(f["a"]);
    EXPECT_FALSE(f.grid.IsExpanded(f["a"]));
    EXPECT_FALSE(isShown(f["b"]));

    // Right of the button a click selects; a file has no button, its slot selects too.
    QTest::mouseClick(f.grid.viewport(), Qt::LeftButton, {}, buttonOf(f["a"]) + QPoint(slotWidth() + 4, 0));
    EXPECT_EQ(f.grid.FocusedEntry(), f["a"]);
    EXPECT_EQ(f.grid.SelectedEntry(), f["a"]);
    EXPECT_FALSE(f.grid.IsExpanded(f["a"]));
    f.grid.ExpandEntry(f["f"]);
    clickButtonOf(f["f.txt"]);
    EXPECT_EQ(f.grid.FocusedEntry(), f["f.txt"]);
    EXPECT_EQ(f.grid.SelectedEntry(), f["f.txt"]);
}

TEST_F(ShownGrid, ADoubleClickOnANameOpensAndClosesTheFolder)
{
    f.analyse(fillNested);
    const auto doubleClick = [&](EntryId entry, int column) {
        const QPoint at =
            cellOf(entry, column).center() + QPoint(column == ColumnName ? f.grid.indentationOf(entry) / 2 : 0, 0);
        // As a mouse sends it: a click, then the second press as a double-click.
        QTest::mouseClick(f.grid.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(f.grid.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(f.grid.viewport(), Qt::LeftButton, {}, at);
    };
    doubleClick(f["a"], ColumnName);
    EXPECT_TRUE(f.grid.IsExpanded(f["a"]));
    EXPECT_TRUE(isShown(f["b"]));
    EXPECT_EQ(f.grid.FocusedEntry(), f["a"]);
    doubleClick(f["a"], ColumnName);
    EXPECT_FALSE(f.grid.IsExpanded(f["a"]));
    doubleClick(f["a"], ColumnSize);
    EXPECT_FALSE(f.grid.IsExpanded(f["a"])) << "only the name column opens folders";
}

TEST_F(ShownGrid, KeysOpenCloseAndWalkTheShownRows)
{
    f.analyse(fillNested); // rows: /data, a, f
    f.grid.setFocus();
    const auto press = [&](Qt::Key key) { QTest::keyClick(&f.grid, key); };
    const bool intoChildren =
        f.grid.style()->styleHint(QStyle::SH_ItemView_ArrowKeysNavigateIntoChildren, nullptr, &f.grid);

    press(Qt::Key_Down);
    EXPECT_EQ(f.grid.FocusedEntry(), f["a"]);
    EXPECT_EQ(f.grid.SelectedEntry(), f["a"]);
    press(Qt::Key_Right);
    EXPECT_TRUE(f.grid.IsExpanded(f["a"]));
    EXPECT_EQ(f.grid.FocusedEntry(), f["a"]) << "opening keeps the focus";
    press(Qt::Key_Right);
    EXPECT_EQ(f.grid.FocusedEntry(), intoChildren ? f["b"] : f["a"]);
    f.grid.FocusEntry(f["b"]);
    press(Qt::Key_Left);
    EXPECT_EQ(f.grid.FocusedEntry(), intoChildren ? f["a"] : f["b"]) << "a closed folder leads to its parent";
    f.grid.FocusEntry(f["a"]);
    press(Qt::Key_Left);
    EXPECT_FALSE(f.grid.IsExpanded(f["a"]));
    EXPECT_EQ(f.grid.FocusedEntry(), f["a"]);

    press(Qt::Key_End);
    EXPECT_EQ(f.grid.FocusedEntry(), f["f"]);
    press(Qt::Key_Home);
    EXPECT_EQ(f.grid.FocusedEntry(), f["/data"]);
    press(Qt::Key_Minus);
    EXPECT_FALSE(f.grid.IsExpanded(f["/data"]));
    EXPECT_EQ(f.grid.model()->rowCount(), 1);
    press(Qt::Key_Plus);
    EXPECT_TRUE(f.grid.IsExpanded(f["/data"]));
    EXPECT_FALSE(f.grid.IsExpanded(f["a"]));
    press(Qt::Key_Asterisk);
    for (const char* name : {"/data", "a", "b", "c", "d", "e", "f"})
        EXPECT_TRUE(f.grid.IsExpanded(f[name])) << name;
    press(Qt::Key_PageDown);
    EXPECT_EQ(f.grid.FocusedEntry(), f["f.txt"]) << "the last row: all rows fit on a page";
    press(Qt::Key_Up);
    EXPECT_EQ(f.grid.FocusedEntry(), f["f"]);
    press(Qt::Key_PageUp);
    EXPECT_EQ(f.grid.FocusedEntry(), f["/data"]);
}

TEST_F(ShownGrid, IndentationTreeLinesAndButtonsArePaintedInMaroonInsideTheNameColumn)
{
    f.analyse(fillNested);
    f.grid.RevealEntry(f["deep.txt"]); // rows: /data, a, b, c, deep.txt, b.txt, d, f
    const QImage image = f.grid.viewport()->grab().toImage();
    const QColor maroon(128, 0, 0);
    const QColor white(Qt::white);
    const int slot = slotWidth();
    ASSERT_EQ(slot, 18);
    // The centre of slot `level` in entry's row.
    const auto centre = [&](EntryId entry, int level) {
        return QPoint(cellOf(entry).left() + level * slot + slot / 2, cellOf(entry).center().y());
    };

    // An open folder's box holds a minus, a closed one's a plus; the line goes on to the icon.
    const QPoint c = centre(f["c"], 3);
    EXPECT_EQ(image.pixelColor(c), maroon);
    EXPECT_EQ(image.pixelColor(c + QPoint(-4, 0)), maroon) << "box";
    EXPECT_EQ(image.pixelColor(c + QPoint(0, -2)), white) << "open: no upright";
    EXPECT_EQ(image.pixelColor(c + QPoint(7, 0)), maroon) << "line to the icon";
    EXPECT_EQ(image.pixelColor(centre(f["d"], 2) + QPoint(0, -2)), maroon) << "closed: plus";

    // deep.txt, the last child of c: its line comes from above and stops in the middle; the
    // slots of b and a (each followed by a sibling) carry lines, /data's does not.
    const QPoint deep = centre(f["deep.txt"], 4);
    const int top = cellOf(f["deep.txt"]).top();
    const int bottom = top + GridRowHeight - 1;
    EXPECT_EQ(image.pixelColor(deep.x(), top + 1), maroon);
    EXPECT_EQ(image.pixelColor(deep.x(), bottom - 2), white);
    EXPECT_EQ(image.pixelColor(deep + QPoint(5, 0)), maroon);
    EXPECT_EQ(image.pixelColor(centre(f["deep.txt"], 2).x(), top + 1), maroon) << "b's line";
    EXPECT_EQ(image.pixelColor(centre(f["deep.txt"], 1).x(), top + 1), maroon) << "a's line";
    EXPECT_EQ(image.pixelColor(centre(f["deep.txt"], 0).x(), top + 1), white) << "/data has no sibling";
    EXPECT_EQ(image.pixelColor(centre(f["deep.txt"], 3).x(), top + 1), white) << "c has no sibling";

    // The icon starts right of the indentation: green for a file.
    const int iconLeft = cellOf(f["deep.txt"]).left() + f.grid.indentationOf(f["deep.txt"]);
    bool green = false;
    for (int x = iconLeft; x < iconLeft + 10; ++x)
        green = green || image.pixelColor(x, deep.y()) == QColor(Qt::green);
    EXPECT_TRUE(green);
    for (int x = cellOf(f["deep.txt"]).left(); x < iconLeft; ++x)
        ASSERT_NE(image.pixelColor(x, deep.y()), QColor(Qt::green)) << x;

    // A name column narrower than the indentation keeps the lines to itself.
    f.grid.setColumnWidth(ColumnName, 3 * slot);
    const QImage narrow = f.grid.viewport()->grab().toImage();
    const QRect bytes = cellOf(f["deep.txt"], ColumnBytes);
    for (int x = bytes.left(); x < bytes.left() + 3 * slot; ++x)
        ASSERT_NE(narrow.pixelColor(x, deep.y()), maroon) << x;
    EXPECT_EQ(narrow.pixelColor(centre(f["deep.txt"], 2).x(), top + 1), maroon) << "b's line is still drawn";
}

// The tree view underneath is handed a flat list, so nothing recurses per level: a chain far
// deeper than a recursive layout survives on the usual 8 MiB stack.
TEST(DeepGrid, AChainOfAHundredThousandFoldersIsShownAndWalkedWithoutRecursion)
{
    constexpr int Depth = 100'000;
    const test::StackLimit stack(test::StackLimit::Desktop);
    GridFixture f;
    f.grid.show();
    f.analyse([](GridFixture& g) {
        EntryId folder = g.add("", "/deep/");
        for (int level = 1; level < Depth; ++level)
            folder = g.building.addEntry(folder, Attribute::Directory, 0, "d");
        g.building.addEntry(folder, Attribute::Normal, 4096, "bottom.bin");
    });
    ResultGrid& grid = f.grid;
    const EntryTree& tree = grid.tree();
    const EntryId root = tree.FirstEntry();
    const auto bottom = static_cast<EntryId>(tree.EntryCount());
    ASSERT_EQ(tree.name(bottom), "bottom.bin");

    grid.showEntry(bottom);
    EXPECT_EQ(grid.FocusedEntry(), bottom);
    EXPECT_EQ(grid.model()->rowCount(), Depth + 1);
    EXPECT_EQ(grid.currentIndex().row(), Depth);
    grid.viewport()->grab();
    grid.CollapseSubtree(root);
    EXPECT_EQ(grid.model()->rowCount(), 1);
    EXPECT_EQ(grid.FocusedEntry(), root);
    grid.ExpandSubtree(root);
    EXPECT_EQ(grid.model()->rowCount(), Depth + 1);
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    grid.viewport()->grab();
    grid.verticalScrollBar()->setValue(0);
    grid.viewport()->grab();
}

} // namespace
} // namespace tallyvane

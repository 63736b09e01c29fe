// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/TreemapView.h"

#include "platform/FileAttributes.h"

#include <QContextMenuEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace tallyvane;

namespace {

// "/data" (400): a.mp4 (300) beside "sub" (100), which holds b.txt (60) above c.txt (40) and
// speck.txt, too small to draw.
// On a map twice as wide as it is high, a.mp4 takes the left three quarters.
class TreemapViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        data = tree.addEntry(NoEntry, Attribute::Directory, 400, "/data");
        video = tree.addEntry(data, Attribute::Normal, 300, "a.mp4");
        sub = tree.addEntry(data, Attribute::Directory, 100, "sub");
        big = tree.addEntry(sub, Attribute::Normal, 60, "b.txt");
        small = tree.addEntry(sub, Attribute::Normal, 40, "c.txt");
        speck = tree.addEntry(sub, Attribute::Normal, 0, "speck.txt");
        // Already in the document's order: the ids stay as made.
        document.replaceTree(tree, SortKey::Size, SortDirection::Descending, std::nullopt);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    // Sizes the view so its map is w × h, and waits for the picture.
    void showMap(int w, int h)
    {
        QSignalSpy rendered(&view, &TreemapView::rendered);
        view.resize(w, h + view.height() - view.mapRect().height());
        ASSERT_EQ(view.mapRect().size(), QSize(w, h));
        if (view.isRendering()) {
            ASSERT_TRUE(rendered.count() > 0 || rendered.wait(5000));
        }
    }
    // A point at the given fractions of the map.
    QPoint at(double fx, double fy) const
    {
        const QRect map = view.mapRect();
        return map.topLeft() + QPoint(static_cast<int>(fx * map.width()), static_cast<int>(fy * map.height()));
    }

    EntryTree tree;
    EntryDocument document;
    EntryId data = NoEntry;
    EntryId video = NoEntry;
    EntryId sub = NoEntry;
    EntryId big = NoEntry;
    EntryId small = NoEntry;
    EntryId speck = NoEntry; // too small to draw
    TreemapView view;
};

TEST_F(TreemapViewTest, PointerMapsToTheEntriesUnderIt)
{
    view.setDocument(&document);
    showMap(400, 200);
    QSignalSpy hovered(&view, &TreemapView::entryHovered);
    QSignalSpy clicked(&view, &TreemapView::entryClicked);
    QSignalSpy menu(&view, &TreemapView::contextMenuRequested);

    QTest::mouseMove(&view, at(0.3, 0.5));
    ASSERT_EQ(hovered.count(), 1);
    EXPECT_EQ(hovered.last().at(0).value<EntryId>(), video);
    QTest::mouseMove(&view, at(0.35, 0.6)); // the same tile: no new signal
    EXPECT_EQ(hovered.count(), 1);
    QTest::mouseMove(&view, at(0.9, 0.2));
    ASSERT_EQ(hovered.count(), 2);
    EXPECT_EQ(hovered.last().at(0).value<EntryId>(), big);

    QTest::mouseClick(&view, Qt::LeftButton, {}, at(0.9, 0.9));
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.last().at(0).value<EntryId>(), small);

    QContextMenuEvent event(QContextMenuEvent::Mouse, at(0.1, 0.1), view.mapToGlobal(at(0.1, 0.1)));
    QApplication::sendEvent(&view, &event);
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(menu.last().at(0).value<EntryId>(), video);
    EXPECT_EQ(menu.last().at(1).toPoint(), view.mapToGlobal(at(0.1, 0.1)));

    // Below the map lies the legend, which stands for no entry.
    EXPECT_EQ(view.entryAt(QPoint(10, view.height() - 2)), NoEntry);
    ASSERT_EQ(view.legend().size(), 2u);
    EXPECT_EQ(view.legend()[0].type, "mp4");
    EXPECT_EQ(view.legend()[1].type, "txt");
}

TEST_F(TreemapViewTest, DoubleClickZoomsIntoTheFolderAndBackspaceOrTheButtonZoomsOut)
{
    view.setDocument(&document);
    showMap(400, 200);
    QSignalSpy rendered(&view, &TreemapView::rendered);
    QSignalSpy zoomed(&view, &TreemapView::zoomChanged);

    QTest::mouseDClick(&view, Qt::LeftButton, {}, at(0.9, 0.9));
    EXPECT_EQ(view.zoomRoot(), sub);
    ASSERT_TRUE(rendered.wait(5000));
    // sub now fills the map: b.txt its left 60 %, c.txt the rest.
    EXPECT_EQ(view.entryAt(at(0.3, 0.5)), big);
    EXPECT_EQ(view.entryAt(at(0.8, 0.5)), small);
    ASSERT_EQ(view.legend().size(), 1u);
    EXPECT_EQ(view.legend()[0].type, "txt");

    // A double-click on a file zooms into the file's folder, here the one shown already.
    QTest::mouseDClick(&view, Qt::LeftButton, {}, at(0.3, 0.5));
    EXPECT_EQ(view.zoomRoot(), sub);

    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(view.zoomRoot(), data);
    ASSERT_TRUE(rendered.wait(5000));
    EXPECT_EQ(view.entryAt(at(0.3, 0.5)), video);

    auto* button = view.findChild<QToolButton*>();
    ASSERT_TRUE(button->isEnabled());
    button->click();
    EXPECT_EQ(view.zoomRoot(), NoEntry);
    EXPECT_FALSE(button->isEnabled());
    ASSERT_EQ(zoomed.count(), 3);
    EXPECT_EQ(zoomed.at(0).at(0).value<EntryId>(), sub);
}

TEST_F(TreemapViewTest, FocusedEntryIsOutlinedAroundItsTile)
{
    view.setDocument(&document);
    showMap(400, 200);
    view.setOutlinedEntry(small);
    const auto outline = view.outlineRect(small);
    ASSERT_TRUE(outline);
    EXPECT_NEAR(outline->left(), 300, 0.01);
    EXPECT_NEAR(outline->top(), 120, 0.01);
    EXPECT_NEAR(outline->right(), 400, 0.01);
    EXPECT_NEAR(outline->bottom(), 200, 0.01);

    // Outlines survive a resize: they follow the new picture.
    showMap(800, 400);
    const auto larger = view.outlineRect(small);
    ASSERT_TRUE(larger);
    EXPECT_NEAR(larger->left(), 600, 0.01);

    // An entry too small to draw is shown by its folder's tile.
    view.setOutlinedEntry(speck);
    const auto folder = view.outlineRect(speck);
    ASSERT_TRUE(folder);
    EXPECT_NEAR(folder->left(), 600, 0.01);
    EXPECT_NEAR(folder->top(), 0, 0.01);
    EXPECT_NEAR(folder->bottom(), 400, 0.01);
}

TEST_F(TreemapViewTest, ResizeRendersAnewAtTheNewSize)
{
    view.setDocument(&document);
    showMap(400, 200);
    const QImage small = view.grab().toImage();
    showMap(300, 300);
    const QImage square = view.grab().toImage();
    // On the square map the picture is laid out afresh: a.mp4 now spans the full height at
    // the left, three quarters of the width.
    EXPECT_EQ(view.entryAt(at(0.7, 0.95)), video);
    EXPECT_EQ(view.entryAt(at(0.8, 0.05)), big);
    EXPECT_NE(small.size(), square.size());
}

TEST_F(TreemapViewTest, ScanningShowsOnlyTextAndStopsReadingTheTree)
{
    view.setDocument(&document);
    showMap(400, 200);
    view.setOutlinedEntry(video);

    view.setScanning(true);
    EXPECT_TRUE(view.isScanning());
    EXPECT_EQ(view.entryAt(at(0.3, 0.5)), NoEntry);
    EXPECT_FALSE(view.outlineRect(video));
    // The scan ends with a new tree in the document.
    EntryTree scanned;
    const EntryId top = scanned.addEntry(NoEntry, Attribute::Directory, 10, "/new");
    const EntryId only = scanned.addEntry(top, Attribute::Normal, 10, "only.iso");
    document.replaceTree(scanned, SortKey::Size, SortDirection::Descending, std::nullopt);
    const QImage during = view.grab().toImage();
    const QColor background = view.palette().window().color();
    EXPECT_EQ(during.pixelColor(5, 5), background);

    QSignalSpy rendered(&view, &TreemapView::rendered);
    view.setScanning(false);
    ASSERT_TRUE(rendered.wait(5000));
    EXPECT_EQ(view.zoomRoot(), NoEntry);
    EXPECT_EQ(view.outlinedEntry(), NoEntry);
    EXPECT_EQ(view.entryAt(at(0.5, 0.5)), only);
}

TEST_F(TreemapViewTest, DocumentChangesHoldTheWorkerAndANewTreeStartsAfresh)
{
    view.setDocument(&document);
    showMap(400, 200);

    // Told after the view: the view has stopped reading by then.
    int checked = 0;
    const auto duringAChange = [&] {
        EXPECT_EQ(view.entryAt(at(0.3, 0.5)), NoEntry) << "no hit testing while the tree changes";
        ++checked;
    };
    QObject::connect(&document, &EntryDocument::treeAboutToBeSorted, &view, duringAChange);
    QObject::connect(&document, &EntryDocument::treeAboutToBeReplaced, &view, duringAChange);
    document.sort(SortKey::Name, SortDirection::Ascending);
    EXPECT_EQ(view.entryAt(at(0.3, 0.5)), video) << "a sort keeps the picture";

    QSignalSpy rendered(&view, &TreemapView::rendered);
    EntryTree again;
    const EntryId top = again.addEntry(NoEntry, Attribute::Directory, 400, "/data");
    const EntryId movie = again.addEntry(top, Attribute::Normal, 300, "a.mp4");
    again.addEntry(top, Attribute::Normal, 100, "b.txt");
    document.replaceTree(again, SortKey::Name, SortDirection::Ascending, std::nullopt);
    EXPECT_TRUE(view.isRendering());
    ASSERT_TRUE(rendered.wait(5000));
    EXPECT_EQ(view.entryAt(at(0.3, 0.5)), movie);
    EXPECT_EQ(checked, 2);
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#include "GridFixture.h"

#include "views/EntryModel.h"

#include <QAbstractItemModelTester>

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace tallyvane {
namespace {

using test::GridFixture;

void fillSample(GridFixture& f)
{
    f.add("", "/data/");
    f.add("/data", "docs/");
    f.add("docs", "b.txt", 300);
    f.add("docs", "A.txt", 300);
    f.add("docs", "old/");
    f.add("old", "x.bin", 50);
    f.add("/data", "big.iso", 5000);
    f.add("/data", "empty/");
    f.add("/data", "c.txt", 300);
}

// The rows are the shown entries in display order: every entry whose ancestors are all
// expanded, in pre-order; every row's index leads back to its entry and every shown entry to
// its row, whatever happened to the order.
void expectRowsMatchTheTree(const EntryModel& model, const EntryTree& tree)
{
    int row = 0;
    for (EntryId entry = tree.FirstEntry(); entry != NoEntry; entry = tree.NextEntry(entry)) {
        bool shown = true;
        for (EntryId folder = tree.ParentEntry(entry); folder != NoEntry; folder = tree.ParentEntry(folder))
            shown = shown && model.isFolderExpanded(folder);
        const QModelIndex index = model.indexOf(entry);
        ASSERT_EQ(index.isValid(), shown) << tree.name(entry);
        if (!shown)
            continue;
        EXPECT_EQ(index.row(), row++) << tree.name(entry);
        EXPECT_EQ(EntryModel::entryOf(index), entry);
        EXPECT_FALSE(index.parent().isValid());
        EXPECT_EQ(model.rowCount(index), 0);
        EXPECT_EQ(model.index(index.row(), 3).internalId(), quintptr{entry});
    }
    EXPECT_EQ(model.rowCount(), row);
}

TEST(EntryModel, StaysConsistentThroughAnalysesSortsExpandsAndClears)
{
    GridFixture f;
    QAbstractItemModelTester tester(&f.grid.entryModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);

    f.analyse(fillSample);
    expectRowsMatchTheTree(f.grid.entryModel(), f.grid.tree());
    f.grid.vtsHeaderClick(ColumnName);
    f.grid.ExpandSubtree(NoEntry);
    f.grid.vtsHeaderClick(ColumnName);
    expectRowsMatchTheTree(f.grid.entryModel(), f.grid.tree());
    f.grid.CollapseSubtree(f["docs"]);
    expectRowsMatchTheTree(f.grid.entryModel(), f.grid.tree());
    // One at a time, outside an update block: rows are inserted and removed in place.
    f.grid.ExpandEntry(f["docs"]);
    f.grid.ExpandEntry(f["old"]);
    expectRowsMatchTheTree(f.grid.entryModel(), f.grid.tree());
    f.grid.toggleExpanded(f["/data"]);
    expectRowsMatchTheTree(f.grid.entryModel(), f.grid.tree());
    f.grid.toggleExpanded(f["/data"]);
    expectRowsMatchTheTree(f.grid.entryModel(), f.grid.tree());
    EXPECT_TRUE(f.grid.entryModel().indexOf(f["x.bin"]).isValid()) << "the folders inside keep their state";

    // A second analysis replaces the first; an empty one leaves nothing.
    f.analyse([](GridFixture& g) {
        g.add("", "/other/");
        g.add("/other", "only.txt", 1);
    });
    expectRowsMatchTheTree(f.grid.entryModel(), f.grid.tree());
    f.analyse([](GridFixture&) {});
    EXPECT_EQ(f.grid.entryModel().rowCount(), 0);
}

TEST(EntryModel, FollowsTheDocumentThroughAClearAReplacementAndASort)
{
    GridFixture f;
    f.analyse(fillSample);
    EntryModel& model = f.grid.entryModel();
    ASSERT_EQ(model.rowCount(), 5) << "the root and its children";
    const QPersistentModelIndex docs = model.indexOf(f["docs"]);
    ASSERT_TRUE(docs.isValid());

    // A sort moves the rows in one layout change; a persistent index stays on its entry.
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
    f.document.sort(SortKey::Name, SortDirection::Ascending);
    EXPECT_EQ(layouts.count(), 1);
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(EntryModel::entryOf(docs), f["docs"]);
    EXPECT_EQ(docs.row(), static_cast<int>(model.indexOf(f["docs"]).row()));
    EXPECT_EQ(model.index(1, 0).data().toString(), "big.iso") << "by name now";

    // While a scan fills a tree of its own, the cleared document shows nothing.
    f.grid.BeginGridUpdate();
    f.document.clear();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.index(0, 0).isValid());
    EXPECT_FALSE(docs.isValid()) << "no index outlives its tree";

    EntryTree scanned;
    const EntryId root = scanned.addEntry(NoEntry, Attribute::Directory, 1, "/new");
    scanned.addEntry(root, Attribute::Normal, 1, "file");
    EXPECT_EQ(model.rowCount(), 0);
    f.document.replaceTree(scanned, SortKey::Name, SortDirection::Ascending, std::nullopt);
    EXPECT_EQ(model.rowCount(), 1) << "the new top level";
    f.grid.ExpandEntry(root);
    f.grid.EndGridUpdate();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(1, 0).data().toString(), "file");
}

TEST(EntryModel, CellsComeFromTheEntries)
{
    GridFixture f;
    f.analyse(fillSample);
    const EntryModel& model = f.grid.entryModel();
    const QModelIndex iso = model.indexOf(f["big.iso"]);
    const QStringList texts{"big.iso", "5,000", "5KB", "84.03%", "", "84.03%", ""};
    for (int column = 0; column < GridColumnCount; ++column) {
        const QModelIndex cell = model.index(iso.row(), column, iso.parent());
        EXPECT_EQ(cell.data().toString(), texts[column]) << column;
        const auto alignment = cell.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
        EXPECT_EQ(alignment & Qt::AlignHorizontal_Mask,
                  GridColumns()[static_cast<std::size_t>(column)].alignment == Alignment::Right ? Qt::AlignRight
                                                                                                : Qt::AlignLeft);
    }
    const QStringList captions{"名称", "大小(字节)", "大小", "文件夹内%", "文件夹内比列图", "总%", "总比列图"};
    for (int column = 0; column < GridColumnCount; ++column)
        EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), captions[column]);
}

TEST(EntryModel, IconsFollowTheKindAndTheExpandedState)
{
    GridFixture f;
    f.analyse(fillSample);
    const EntryModel& model = f.grid.entryModel();
    const int fileIcon = model.vtsGetImageIndex(f["c.txt"], ColumnName);
    const int closedFolder = model.vtsGetImageIndex(f["docs"], ColumnName);
    const int openFolder = model.vtsGetImageIndex(f["/data"], ColumnName);
    EXPECT_GE(fileIcon, 0);
    EXPECT_GE(closedFolder, 0);
    EXPECT_GE(openFolder, 0);
    EXPECT_NE(closedFolder, openFolder);
    EXPECT_EQ(model.vtsGetImageIndex(f["x.bin"], ColumnName), fileIcon);
    EXPECT_EQ(model.vtsGetImageIndex(f["c.txt"], ColumnSize), -1);
    EXPECT_EQ(model.vtsGetImageIndex(NoEntry, ColumnName), -1);

    f.grid.ExpandEntry(f["docs"]);
    EXPECT_EQ(model.vtsGetImageIndex(f["docs"], ColumnName), openFolder);
    EXPECT_EQ(f.icons.count(), 3) << "each icon is copied once";
}

} // namespace
} // namespace tallyvane

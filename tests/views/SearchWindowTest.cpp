// SPDX-License-Identifier: GPL-3.0-or-later
#include "GridFixture.h"

#include "views/SearchWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace tallyvane {
namespace {

using test::GridFixture;

// /data
//   docs/     Report.txt (100), sub/ (deep_report.txt 2048)   -- sub stays collapsed
//   other/    report.log (5000)
//   readme (1)
// The grid sorts every folder by size, largest first: other, docs, readme; sub, Report.txt.
class SearchWindowTest : public testing::Test {
protected:
    SearchWindowTest() : window(f.document)
    {
        f.analyse([](GridFixture& g) {
            g.add("", "/data/");
            g.add("/data", "docs/");
            g.add("docs", "Report.txt", 100);
            g.add("docs", "sub/");
            g.add("sub", "deep_report.txt", 2048);
            g.add("/data", "other/");
            g.add("other", "report.log", 5000);
            g.add("/data", "readme", 1);
        });
        pattern = window.findChild<QLineEdit*>("pattern");
        results = window.findChild<QTreeView*>("results");
        status = window.findChild<QLabel*>("status");
    }

    void search(const QString& text)
    {
        pattern->selectAll();
        QTest::keyClicks(pattern, text);
        QTest::keyClick(pattern, Qt::Key_Return);
    }

    // Each row as "name | path | size".
    std::vector<QString> rows() const
    {
        const QAbstractItemModel* model = results->model();
        std::vector<QString> texts;
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model->columnCount(); ++column)
                cells << model->index(row, column).data().toString();
            texts.push_back(cells.join(QStringLiteral(" | ")));
        }
        return texts;
    }

    GridFixture f;
    SearchWindow window;
    QLineEdit* pattern;
    QTreeView* results;
    QLabel* status;
};

TEST_F(SearchWindowTest, ListsWhatMatchesBelowTheFolderWithPathAndSize)
{
    window.searchIn(f["docs"]);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("搜索 - /data/docs"));
    search(QStringLiteral("REPORT"));
    EXPECT_EQ(rows(),
              (std::vector<QString>{QStringLiteral("deep_report.txt | /data/docs/sub/deep_report.txt | 2KB"),
                                    QStringLiteral("Report.txt | /data/docs/Report.txt | 100Byte")}));
    EXPECT_EQ(status->text(), QStringLiteral("找到 2 项"));
    EXPECT_FALSE(f.grid.IsExpanded(f["sub"]));
}

TEST_F(SearchWindowTest, AFileSearchesItsFolder)
{
    window.searchIn(f["report.log"]);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("搜索 - /data/other"));
    search(QStringLiteral("*"));
    EXPECT_EQ(rows(), std::vector<QString>{QStringLiteral("report.log | /data/other/report.log | 5KB")});
}

TEST_F(SearchWindowTest, SaysWhyNothingIsListed)
{
    struct Case {
        QString pattern;
        QString status;
    };
    window.searchIn(f["/data"]);
    for (const Case& c : {Case{QString(), QStringLiteral("请输入名称或通配符")},
                          Case{QStringLiteral("a*["), QStringLiteral("通配符无效")},
                          Case{QStringLiteral("nothing"), QStringLiteral("找到 0 项")}}) {
        search(QStringLiteral("*"));
        ASSERT_FALSE(rows().empty());
        pattern->clear();
        search(c.pattern);
        EXPECT_TRUE(rows().empty()) << c.pattern.toStdString();
        EXPECT_EQ(status->text(), c.status);
    }
}

TEST_F(SearchWindowTest, ActivatingAResultHandsOnItsEntry)
{
    window.searchIn(f["/data"]);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    search(QStringLiteral("report"));
    // Smallest first: Report.txt, deep_report.txt, report.log. A new search would undo this.
    results->sortByColumn(2, Qt::AscendingOrder);
    QSignalSpy chosen(&window, &SearchWindow::entryChosen);

    results->setFocus();
    results->setCurrentIndex(results->model()->index(1, 0));
    QTest::keyClick(results, Qt::Key_Return);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.takeFirst().at(0).value<EntryId>(), f["deep_report.txt"]);
    // Enter chose; it did not search again.
    EXPECT_EQ(rows().front(), QStringLiteral("Report.txt | /data/docs/Report.txt | 100Byte"));

    // A double click as the system delivers it: the second press comes as the double click.
    const QPoint cell = results->visualRect(results->model()->index(2, 1)).center();
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(results->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseRelease(results->viewport(), Qt::LeftButton, {}, cell);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.takeFirst().at(0).value<EntryId>(), f["report.log"]);
}

TEST_F(SearchWindowTest, SortsByAColumnUntilTheNextSearch)
{
    window.searchIn(f["/data"]);
    search(QStringLiteral("*"));
    results->sortByColumn(2, Qt::AscendingOrder);
    EXPECT_EQ(rows().front(), QStringLiteral("readme | /data/readme | 1Byte"));
    search(QStringLiteral("*"));
    EXPECT_EQ(rows().front(), QStringLiteral("other | /data/other | 5KB"));
}

TEST_F(SearchWindowTest, ClearingForgetsResultsAndFolderUntilTheNextFolder)
{
    window.searchIn(f["/data"]);
    search(QStringLiteral("report"));
    ASSERT_FALSE(rows().empty());
    QSignalSpy chosen(&window, &SearchWindow::entryChosen);

    window.clearResults();
    f.analyse([](GridFixture& g) { g.add("", "/new/"); });
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(status->text().isEmpty());
    EXPECT_FALSE(pattern->isEnabled());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("搜索"));
    window.findChild<QPushButton*>("search")->click();
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(chosen.count(), 0);

    window.searchIn(f["/new"]);
    EXPECT_TRUE(pattern->isEnabled());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("搜索 - /new"));
}

TEST_F(SearchWindowTest, ListsNoMoreThanTheCapAndSaysSo)
{
    f.analyse([](GridFixture& g) {
        g.add("", "/many/");
        for (std::size_t i = 0; i <= SearchWindow::MaxResults; ++i)
            g.add("/many", "f" + std::to_string(i));
    });
    window.searchIn(f["/many"]);
    search(QStringLiteral("f"));
    EXPECT_EQ(results->model()->rowCount(), static_cast<int>(SearchWindow::MaxResults));
    EXPECT_EQ(status->text(), QStringLiteral("找到 10000 项以上，只列出前 10000 项"));
}

} // namespace
} // namespace tallyvane

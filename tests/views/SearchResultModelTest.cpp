// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/SearchResultModel.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>

#include <gtest/gtest.h>

namespace tallyvane {
namespace {

std::vector<SearchResultModel::Row> rows()
{
    return {
        {1, QStringLiteral("beta"), QStringLiteral("/d/beta"), 30, QStringLiteral("30Byte")},
        {2, QStringLiteral("Alpha"), QStringLiteral("/c/Alpha"), 10, QStringLiteral("10Byte")},
        {3, QStringLiteral("gamma"), QStringLiteral("/a/gamma"), 10, QStringLiteral("10Byte")},
    };
}

TEST(SearchResultModelTest, SortsEachColumnStablyAndKeepsTheSelectionOnItsEntry)
{
    SearchResultModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setRows(rows());
    QItemSelectionModel selection(&model);
    selection.setCurrentIndex(model.index(2, SearchResultModel::NameColumn), QItemSelectionModel::SelectCurrent);

    const auto entries = [&model] {
        std::vector<EntryId> order;
        for (int row = 0; row < model.rowCount(); ++row)
            order.push_back(model.entryAt(row));
        return order;
    };
    model.sort(SearchResultModel::NameColumn, Qt::AscendingOrder);
    EXPECT_EQ(entries(), (std::vector<EntryId>{2, 1, 3})) << "names regardless of case";
    model.sort(SearchResultModel::PathColumn, Qt::DescendingOrder);
    EXPECT_EQ(entries(), (std::vector<EntryId>{1, 2, 3}));
    model.sort(SearchResultModel::SizeColumn, Qt::AscendingOrder);
    EXPECT_EQ(entries(), (std::vector<EntryId>{2, 3, 1})) << "equal sizes keep their order";
    model.sort(-1, Qt::DescendingOrder);
    EXPECT_EQ(entries(), (std::vector<EntryId>{2, 3, 1})) << "no column keeps the order";

    EXPECT_EQ(model.entryAt(selection.currentIndex().row()), 3u) << "the current row follows its entry";
    EXPECT_EQ(model.data(model.index(0, SearchResultModel::SizeColumn)).toString(), "10Byte");
    EXPECT_EQ(model.headerData(SearchResultModel::PathColumn, Qt::Horizontal).toString(), "路径");
}

} // namespace
} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

namespace tallyvane {

// The entries a search found, with the texts shown for them: name, path and size. The texts are
// taken when the search runs, so that painting and sorting never go back to the tree.
class SearchResultModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { NameColumn, PathColumn, SizeColumn, ColumnCount };

    struct Row {
        EntryId entry;
        QString name;
        QString path;
        std::int64_t size;
        QString sizeText;
    };

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<Row> rows);
    EntryId entryAt(int row) const { return m_rows[static_cast<std::size_t>(row)].entry; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Names and paths sort regardless of case, sizes by number; equal rows keep their order. A
    // column below 0 keeps the order the rows came in: the tree's.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    std::vector<Row> m_rows;
};

} // namespace tallyvane

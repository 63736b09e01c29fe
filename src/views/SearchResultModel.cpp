// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/SearchResultModel.h"

#include <algorithm>
#include <numeric>

namespace tallyvane {

void SearchResultModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int SearchResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int SearchResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || (role == Qt::ToolTipRole && index.column() == PathColumn)) {
        switch (index.column()) {
        case NameColumn:
            return row.name;
        case PathColumn:
            return row.path;
        case SizeColumn:
            return row.sizeText;
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QString captions[ColumnCount] = {QStringLiteral("名称"), QStringLiteral("路径"),
                                                  QStringLiteral("大小")};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return captions[section];
    return {};
}

void SearchResultModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    const auto before = [column](const Row& a, const Row& b) {
        switch (column) {
        case NameColumn:
            return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
        case PathColumn:
            return a.path.compare(b.path, Qt::CaseInsensitive) < 0;
        default:
            return a.size < b.size;
        }
    };
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::size_t> permutation(m_rows.size());
    std::iota(permutation.begin(), permutation.end(), std::size_t{0});
    const auto byRow = [&](std::size_t a, std::size_t b) { return before(m_rows[a], m_rows[b]); };
    if (order == Qt::AscendingOrder)
        std::stable_sort(permutation.begin(), permutation.end(), byRow);
    else
        std::stable_sort(permutation.begin(), permutation.end(),
                         [&](std::size_t a, std::size_t b) { return byRow(b, a); });

    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newRow(m_rows.size());
    for (std::size_t k = 0; k < permutation.size(); ++k) {
        newRow[permutation[k]] = static_cast<int>(k);
        sorted.push_back(std::move(m_rows[permutation[k]]));
    }
    m_rows = std::move(sorted);
    // The selection and the current row follow their entries.
    const QModelIndexList oldIndexes = persistentIndexList();
    QModelIndexList after;
    after.reserve(oldIndexes.size());
    for (const QModelIndex& index : oldIndexes)
        after.append(createIndex(newRow[static_cast<std::size_t>(index.row())], index.column()));
    changePersistentIndexList(oldIndexes, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/EntryModel.h"

#include "presentation/ScanTexts.h"
#include "views/TImageListEx.h"

#include <QColor>

namespace tallyvane {

EntryModel::EntryModel(EntryTree& tree, TImageListEx* icons, QObject* parent)
    : QAbstractItemModel(parent), m_tree(tree), m_icons(icons)
{
}

QModelIndex EntryModel::index(int row, int column, const QModelIndex& parent) const
{
    if (m_frozen || row < 0 || column < 0 || column >= GridColumnCount || parent.column() > 0)
        return {};
    const EntryId folder = entryOf(parent);
    if (static_cast<std::uint32_t>(row) >= m_tree.childCount(folder))
        return {};
    return createIndex(row, column, quintptr{m_tree.childAt(folder, static_cast<std::uint32_t>(row))});
}

QModelIndex EntryModel::parent(const QModelIndex& child) const
{
    const EntryId entry = entryOf(child);
    if (entry == NoEntry)
        return {};
    const EntryId folder = m_tree.ParentEntry(entry);
    return folder == NoEntry ? QModelIndex() : indexOf(folder);
}

int EntryModel::rowCount(const QModelIndex& parent) const
{
    if (m_frozen || parent.column() > 0)
        return 0;
    return static_cast<int>(m_tree.childCount(entryOf(parent)));
}

int EntryModel::columnCount(const QModelIndex&) const
{
    return GridColumnCount;
}

bool EntryModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant EntryModel::data(const QModelIndex& index, int role) const
{
    const EntryId entry = entryOf(index);
    if (entry == NoEntry)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return vtsGetText(entry, index.column());
    case Qt::TextAlignmentRole: {
        const Alignment alignment = GridColumns()[static_cast<std::size_t>(index.column())].alignment;
        return QVariant::fromValue(Qt::AlignVCenter
                                   | (alignment == Alignment::Right ? Qt::AlignRight : Qt::AlignLeft));
    }
    case Qt::DecorationRole: {
        const int image = vtsGetImageIndex(entry, index.column());
        return image >= 0 ? QVariant(m_icons->image(image)) : QVariant();
    }
    // What a scan left out or counted elsewhere reads grey, and says why when pointed at.
    case Qt::ForegroundRole:
        if (m_tree.attributes(entry) & Attribute::ScanMarks)
            return QColor(LeftOutTextColor);
        return {};
    case Qt::ToolTipRole:
        if (m_tree.attributes(entry) & Attribute::ScanMarks)
            return ScanMarkText(m_tree.attributes(entry));
        return {};
    default:
        return {};
    }
}

QVariant EntryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= GridColumnCount)
        return {};
    const ColumnSpec& column = GridColumns()[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(column.caption);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter
                                   | (column.alignment == Alignment::Right ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

Qt::ItemFlags EntryModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QModelIndex EntryModel::indexOf(EntryId entry, int column) const
{
    if (entry == NoEntry || m_frozen)
        return {};
    return createIndex(static_cast<int>(m_tree.rowOf(entry)), column, quintptr{entry});
}

EntryId EntryModel::entryOf(const QModelIndex& index)
{
    return index.isValid() ? static_cast<EntryId>(index.internalId()) : NoEntry;
}

QString EntryModel::vtsGetText(EntryId entry, int column) const
{
    return CellText(m_tree, entry, column);
}

int EntryModel::vtsGetImageIndex(EntryId entry, int column) const
{
    if (column != ColumnName || entry == NoEntry || !m_icons)
        return -1;
    if (m_tree.isFolder(entry))
        return isExpanded(entry) ? m_icons->OpenFolderIconIndex() : m_icons->FolderIconIndex();
    return m_icons->FileIconIndex(m_tree.name(entry));
}

bool EntryModel::isExpanded(EntryId entry) const
{
    return entry < m_expanded.size() && m_expanded[entry];
}

void EntryModel::setExpanded(EntryId entry, bool expanded)
{
    if (entry == NoEntry)
        return;
    if (entry >= m_expanded.size()) {
        if (!expanded)
            return;
        m_expanded.resize(m_tree.EntryCount() + 1);
    }
    m_expanded[entry] = expanded;
}

void EntryModel::clearEntries(bool freeze)
{
    beginResetModel();
    m_tree.ClearEntries();
    m_expanded.clear();
    m_expanded.shrink_to_fit();
    m_frozen = freeze;
    endResetModel();
}

void EntryModel::sortEntries(SortState sort)
{
    if (m_frozen) {
        beginResetModel();
        SortEntries(m_tree, SortKeyOf(sort.column), sort.direction);
        m_frozen = false;
        endResetModel();
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    SortEntries(m_tree, SortKeyOf(sort.column), sort.direction);
    // Each index knows its entry: its new row is one lookup away.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(indexOf(entryOf(index), index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/EntryModel.h"

#include "presentation/ScanTexts.h"
#include "views/TImageListEx.h"

#include <QColor>

namespace tallyvane {

EntryModel::EntryModel(const EntryDocument& document, TImageListEx* icons, QObject* parent)
    : QAbstractTableModel(parent), m_tree(document.tree()), m_icons(icons)
{
    connect(&document, &EntryDocument::treeAboutToBeReplaced, this, [this] {
        beginResetModel();
        forgetRows();
    });
    connect(&document, &EntryDocument::treeReplaced, this, [this] {
        layOutRows();
        endResetModel();
    });
    connect(&document, &EntryDocument::treeAboutToBeSorted, this,
            [this] { emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint); });
    connect(&document, &EntryDocument::treeSorted, this, [this] { finishLayout(); });
    layOutRows();
}

QModelIndex EntryModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || static_cast<std::size_t>(row) >= m_rows.size() || column < 0
        || column >= GridColumnCount)
        return {};
    return createIndex(row, column, quintptr{m_rows[static_cast<std::size_t>(row)]});
}

int EntryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int EntryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : GridColumnCount;
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
        return QVariant::fromValue(Qt::AlignVCenter | (alignment == Alignment::Right ? Qt::AlignRight : Qt::AlignLeft));
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
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

QModelIndex EntryModel::indexOf(EntryId entry, int column) const
{
    if (!isShown(entry) || column < 0 || column >= GridColumnCount)
        return {};
    return createIndex(static_cast<int>(m_rowOf[entry]), column, quintptr{entry});
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
        return isFolderExpanded(entry) ? m_icons->OpenFolderIconIndex() : m_icons->FolderIconIndex();
    return m_icons->FileIconIndex(m_tree.name(entry));
}

bool EntryModel::isFolderExpanded(EntryId entry) const
{
    return entry < m_expanded.size() && m_expanded[entry];
}

void EntryModel::markExpanded(EntryId entry, bool expanded)
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

void EntryModel::setExpanded(EntryId entry, bool expanded)
{
    if (expanded == isFolderExpanded(entry))
        return;
    if (!isShown(entry)) {
        markExpanded(entry, expanded);
        return;
    }
    const std::uint32_t row = m_rowOf[entry];
    const auto first = static_cast<std::size_t>(row) + 1;
    if (expanded) {
        markExpanded(entry, true);
        std::vector<EntryId> shown;
        for (EntryId e = nextShown(entry, entry); e != NoEntry; e = nextShown(e, entry))
            shown.push_back(e);
        if (!shown.empty()) {
            beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + shown.size() - 1));
            m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(first), shown.begin(), shown.end());
            numberRowsFrom(first);
            endInsertRows();
        }
    } else {
        const std::size_t end = rowAfterSubtree(entry);
        markExpanded(entry, false);
        if (end > first) {
            beginRemoveRows({}, static_cast<int>(first), static_cast<int>(end - 1));
            for (std::size_t r = first; r < end; ++r)
                m_rowOf[m_rows[r]] = NotShown;
            m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(first),
                         m_rows.begin() + static_cast<std::ptrdiff_t>(end));
            numberRowsFrom(first);
            endRemoveRows();
        }
    }
    // The folder's icon opens or closes.
    emit dataChanged(indexOf(entry), indexOf(entry), {Qt::DecorationRole});
}

EntryId EntryModel::nextShown(EntryId entry, EntryId top) const
{
    if (isFolderExpanded(entry) && m_tree.childCount(entry) > 0)
        return m_tree.childAt(entry, 0);
    for (EntryId e = entry; e != top && e != NoEntry; e = m_tree.ParentEntry(e)) {
        const EntryId parent = m_tree.ParentEntry(e);
        const std::uint32_t next = m_tree.rowOf(e) + 1;
        if (next < m_tree.childCount(parent))
            return m_tree.childAt(parent, next);
    }
    return NoEntry;
}

std::uint32_t EntryModel::rowAfterSubtree(EntryId entry) const
{
    // The next sibling of the entry or of its nearest ancestor that has one: its parent is
    // expanded and shown, so it is shown too.
    for (EntryId e = entry; e != NoEntry; e = m_tree.ParentEntry(e)) {
        const EntryId parent = m_tree.ParentEntry(e);
        const std::uint32_t next = m_tree.rowOf(e) + 1;
        if (next < m_tree.childCount(parent))
            return m_rowOf[m_tree.childAt(parent, next)];
    }
    return static_cast<std::uint32_t>(m_rows.size());
}

void EntryModel::numberRowsFrom(std::size_t first)
{
    for (std::size_t r = first; r < m_rows.size(); ++r)
        m_rowOf[m_rows[r]] = static_cast<std::uint32_t>(r);
}

void EntryModel::layOutRows()
{
    if (m_rowOf.size() == m_tree.EntryCount() + 1) {
        for (const EntryId entry : m_rows)
            m_rowOf[entry] = NotShown;
    } else {
        m_rowOf.assign(m_tree.EntryCount() + 1, NotShown);
    }
    m_rows.clear();
    for (EntryId e = m_tree.FirstEntry(); e != NoEntry; e = nextShown(e, NoEntry))
        m_rows.push_back(e);
    numberRowsFrom(0);
}

void EntryModel::forgetRows()
{
    // A new tree's entries share no ids' meaning with the old one's.
    m_expanded.clear();
    m_expanded.shrink_to_fit();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_rowOf.clear();
    m_rowOf.shrink_to_fit();
}

void EntryModel::arrangeRows()
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    finishLayout();
}

void EntryModel::finishLayout()
{
    layOutRows();
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

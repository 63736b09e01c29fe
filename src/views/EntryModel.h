// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryDocument.h"
#include "presentation/GridColumns.h"

#include <QAbstractTableModel>
#include <QColor>

#include <cstdint>
#include <vector>

namespace tallyvane {

class TImageListEx;

// The entry tree as the grid shows it: one row per shown entry (the top-level entries and,
// below each expanded folder, its children) in display order, and the seven grid columns; texts
// and icons are computed on demand from the entry. The rows form a flat list: the hierarchy
// lives in the tree and the expanded bits, so a view over the model never works level by level
// and no depth of the tree can exhaust its stack. The grid draws the indentation, the tree
// lines and the buttons itself.
//
// A row's index carries its entry id. Besides one "expanded" bit per entry, the model keeps the
// shown entries in order and each entry's row (4 bytes per entry each at most). An entry a scan
// marked (Attribute::ScanMarks) shows its name and cells in grey, its reason as a tooltip.
//
// The model follows the document: a new tree resets it, a sort moves its rows in one layout
// change.
class EntryModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // The text colour of an entry a scan left out or counted at another link: a mid grey that
    // reads on every skin's grid, yet apart from the black of counted entries.
    static constexpr QRgb LeftOutTextColor = 0xFF808080;

    EntryModel(const EntryDocument& document, TImageListEx* icons, QObject* parent = nullptr);

    const EntryTree& tree() const { return m_tree; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The index of the entry's row, or an invalid one while the entry is not shown.
    QModelIndex indexOf(EntryId entry, int column = ColumnName) const;
    static EntryId entryOf(const QModelIndex& index);
    bool isShown(EntryId entry) const { return entry < m_rowOf.size() && m_rowOf[entry] != NotShown; }

    // The text of a cell: what the grid paints, searches and exports.
    QString vtsGetText(EntryId entry, int column) const;
    // The own index of the row's icon in the icon list, or -1.
    int vtsGetImageIndex(EntryId entry, int column) const;

    bool isFolderExpanded(EntryId entry) const;
    // Expands or collapses a folder; when it is shown, its shown descendants are inserted or
    // removed as rows at once.
    void setExpanded(EntryId entry, bool expanded);
    // Only records the state: the rows follow at the next arrangeRows(), as in an update block.
    void markExpanded(EntryId entry, bool expanded);
    // Lays the rows out anew from the tree's order and the expanded state, in one layout change
    // that keeps every persistent index on its entry (or invalidates it when the entry is no
    // longer shown).
    void arrangeRows();

private:
    static constexpr std::uint32_t NotShown = UINT32_MAX;

    // The entry shown after entry in display order without leaving top's subtree (NoEntry: the
    // whole tree), or NoEntry.
    EntryId nextShown(EntryId entry, EntryId top) const;
    // The row after the shown rows of entry's subtree.
    std::uint32_t rowAfterSubtree(EntryId entry) const;
    void layOutRows();
    void numberRowsFrom(std::size_t first);
    void forgetRows();
    // The second half of a layout change: the rows laid out anew, the persistent indexes moved.
    void finishLayout();

    const EntryTree& m_tree;
    TImageListEx* m_icons;
    std::vector<bool> m_expanded;
    std::vector<EntryId> m_rows;        // the shown entries in display order
    std::vector<std::uint32_t> m_rowOf; // by entry: its row, or NotShown
};

} // namespace tallyvane

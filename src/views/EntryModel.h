// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "presentation/GridColumns.h"

#include <QAbstractItemModel>
#include <QColor>

#include <vector>

namespace tallyvane {

class TImageListEx;

// The entry tree as a Qt item model: one row per entry, the seven grid columns, texts and icons
// computed on demand from the entry; nothing per row is stored. A row's index carries its entry
// id, and the tree answers row and child lookups in constant time, so the model holds no
// per-row bookkeeping of its own besides one "expanded" bit per entry. An entry a scan marked
// (Attribute::ScanMarks) shows its name and cells in grey, its reason as a tooltip.
//
// While a scan fills a tree that was cleared inside an update block, the model is frozen: it
// shows no rows, and the entries added meanwhile appear at once when it thaws.
class EntryModel final : public QAbstractItemModel {
    Q_OBJECT

public:
    // The text colour of an entry a scan left out or counted at another link: a mid grey that
    // reads on every skin's grid, yet apart from the black of counted entries.
    static constexpr QRgb LeftOutTextColor = 0xFF808080;

    EntryModel(EntryTree& tree, TImageListEx* icons, QObject* parent = nullptr);

    EntryTree& tree() { return m_tree; }
    const EntryTree& tree() const { return m_tree; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QModelIndex indexOf(EntryId entry, int column = ColumnName) const;
    static EntryId entryOf(const QModelIndex& index);

    // The text of a cell: what the grid paints, searches and exports.
    QString vtsGetText(EntryId entry, int column) const;
    // The own index of the row's icon in the icon list, or -1.
    int vtsGetImageIndex(EntryId entry, int column) const;

    bool isExpanded(EntryId entry) const;
    void setExpanded(EntryId entry, bool expanded);

    // Empties the tree; the rows vanish at once. With freeze, the model stays empty until
    // thawed, so that a scan may fill the tree without telling anyone.
    void clearEntries(bool freeze);
    bool isFrozen() const { return m_frozen; }
    // Sorts every folder's children; thaws a frozen model.
    void sortEntries(SortState sort);

private:
    EntryTree& m_tree;
    TImageListEx* m_icons;
    bool m_frozen = false;
    std::vector<bool> m_expanded;
};

} // namespace tallyvane

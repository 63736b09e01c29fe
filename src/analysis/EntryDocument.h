// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntrySort.h"
#include "analysis/EntryTree.h"
#include "analysis/NcduImport.h"

#include <QObject>

#include <optional>

namespace tallyvane {

// The analysed tree as the window holds it, with what is known about where it came from, and
// the one place it changes. Every change is announced before and after it happens, on the
// thread that owns the document: a view lets go of entry ids (or stops reading on another
// thread) when told the tree is about to change, and shows the tree again when told it did.
// Views read the tree and never change it.
//
// The tree object itself stays the same for the document's life, so a reference to it stays
// valid: a new tree takes the place of the old one's contents.
class EntryDocument final : public QObject {
    Q_OBJECT

public:
    explicit EntryDocument(QObject* parent = nullptr);
    ~EntryDocument() override;

    const EntryTree& tree() const { return m_tree; }
    // The entry at the top of the tree, NoEntry while it is empty.
    EntryId root() const { return m_tree.FirstEntry(); }

    // Whether the entries come from an ncdu export read in place of a scan: they name files on
    // the machine that made it, not necessarily on this one.
    bool isImported() const { return m_importedScan.has_value(); }
    const std::optional<ImportedScan>& importedScan() const { return m_importedScan; }

    // The order of every folder's children: by size, largest first, until changed.
    SortKey sortKey() const { return m_sortKey; }
    SortDirection sortDirection() const { return m_sortDirection; }

    // Empties the tree and frees what it held.
    void clear();
    // Takes tree's contents as the document's, sorted in the given order, and what is known of
    // its source; tree is left with the previous contents. When the order differs from the
    // document's, the tree is sorted again first.
    void replaceTree(EntryTree& tree, SortKey sortedBy, SortDirection sortedDirection,
                     std::optional<ImportedScan> importedScan);
    // Puts every folder's children in this order.
    void sort(SortKey key, SortDirection direction);

signals:
    void treeAboutToBeReplaced();
    void treeReplaced();
    void treeAboutToBeSorted();
    void treeSorted();

private:
    EntryTree m_tree;
    std::optional<ImportedScan> m_importedScan;
    SortKey m_sortKey = SortKey::Size;
    SortDirection m_sortDirection = SortDirection::Descending;
};

} // namespace tallyvane

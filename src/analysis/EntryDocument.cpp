// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/EntryDocument.h"

namespace tallyvane {

EntryDocument::EntryDocument(QObject* parent) : QObject(parent) {}

EntryDocument::~EntryDocument() = default;

void EntryDocument::clear()
{
    EntryTree empty;
    replaceTree(empty, m_sortKey, m_sortDirection, std::nullopt);
}

void EntryDocument::replaceTree(EntryTree& tree, SortKey sortedBy, SortDirection sortedDirection,
                                std::optional<ImportedScan> importedScan)
{
    if (sortedBy != m_sortKey || sortedDirection != m_sortDirection)
        SortEntries(tree, m_sortKey, m_sortDirection);
    emit treeAboutToBeReplaced();
    m_tree.swap(tree);
    m_importedScan = std::move(importedScan);
    emit treeReplaced();
}

void EntryDocument::sort(SortKey key, SortDirection direction)
{
    if (key == m_sortKey && direction == m_sortDirection)
        return;
    m_sortKey = key;
    m_sortDirection = direction;
    emit treeAboutToBeSorted();
    SortEntries(m_tree, key, direction);
    emit treeSorted();
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

namespace tallyvane {

// Visits entries in pre-order, as NextEntry does, and keeps each entry's level on the way, so
// a walk over the whole tree costs one step per entry however deep the tree is. Subtrees
// below depthLimit (when it is not negative) are skipped.
class PreOrderWalk {
public:
    explicit PreOrderWalk(const EntryTree& tree, int depthLimit = -1)
        : m_tree(tree), m_entry(tree.FirstEntry()), m_depthLimit(depthLimit)
    {
    }

    bool atEnd() const { return m_entry == NoEntry; }
    EntryId entry() const { return m_entry; }
    int level() const { return m_level; }

    void next()
    {
        if (m_depthLimit < 0 || m_level < m_depthLimit) {
            if (const EntryId child = m_tree.FirstChildEntry(m_entry); child != NoEntry) {
                m_entry = child;
                ++m_level;
                return;
            }
        }
        for (EntryId e = m_entry; e != NoEntry; e = m_tree.ParentEntry(e), --m_level) {
            if (const EntryId sibling = m_tree.NextSiblingEntry(e); sibling != NoEntry) {
                m_entry = sibling;
                return;
            }
        }
        m_entry = NoEntry;
    }

private:
    const EntryTree& m_tree;
    EntryId m_entry;
    int m_level = 0;
    int m_depthLimit;
};

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/EntryTree.h"

#include "platform/PathSeparator.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <stdexcept>

namespace tallyvane {

EntryTree::EntryTree()
{
    ClearEntries();
}

EntryTree::~EntryTree() = default;

void EntryTree::swap(EntryTree& other) noexcept
{
    using std::swap;
    swap(m_chunks, other.m_chunks);
    swap(m_count, other.m_count);
    swap(m_names, other.m_names);
    swap(m_rowIndex, other.m_rowIndex);
    swap(m_rowIndexCurrent, other.m_rowIndexCurrent);
    swap(m_topLevel, other.m_topLevel);
    swap(m_linkFacts, other.m_linkFacts);
}

EntryId EntryTree::addEntry(EntryId parent, std::uint32_t attributes, std::int64_t size, std::string_view name)
{
    assert(parent < m_count);
    if (m_count == std::numeric_limits<EntryId>::max())
        throw std::length_error("too many entries");
    if ((m_count & (ChunkSize - 1)) == 0)
        m_chunks.push_back(std::make_unique_for_overwrite<Node[]>(ChunkSize));
    if (parent == NoEntry)
        m_topLevel.push_back(m_count);

    const EntryId id = m_count++;
    Node& added = node(id);
    Node& folder = node(parent);
    added = Node{};
    added.setSize(size);
    added.setNameRef(m_names.store(name));
    added.parent = parent;
    added.attributes = attributes;
    added.row = folder.childCount++;
    m_rowIndexCurrent = false;
    return id;
}

EntryId EntryTree::NextEntry(EntryId entry) const
{
    return NextEntryWithin(entry, NoEntry);
}

EntryId EntryTree::NextSiblingEntry(EntryId entry) const
{
    if (entry == NoEntry)
        return NoEntry;
    const Node& n = node(entry);
    return childAt(n.parent, n.row + 1);
}

EntryId EntryTree::NextEntryWithin(EntryId entry, EntryId top) const
{
    if (const EntryId child = FirstChildEntry(entry); child != NoEntry)
        return child;
    for (EntryId e = entry; e != top && e != NoEntry; e = node(e).parent) {
        if (const EntryId sibling = NextSiblingEntry(e); sibling != NoEntry)
            return sibling;
    }
    return NoEntry;
}

bool EntryTree::IsBelow(EntryId entry, EntryId ancestor) const
{
    if (ancestor == NoEntry)
        return false;
    for (EntryId e = node(entry).parent; e != NoEntry; e = node(e).parent) {
        if (e == ancestor)
            return true;
    }
    return false;
}

int EntryTree::EntryLevel(EntryId entry) const
{
    int level = 0;
    for (EntryId e = node(entry).parent; e != NoEntry; e = node(e).parent)
        ++level;
    return level;
}

void EntryTree::ClearEntries()
{
    m_chunks.clear();
    m_chunks.push_back(std::make_unique_for_overwrite<Node[]>(ChunkSize));
    node(NoEntry) = Node{};
    node(NoEntry).attributes = Attribute::Directory;
    m_count = 1;
    m_names.clear();
    m_rowIndex.clear();
    m_rowIndex.shrink_to_fit();
    m_rowIndexCurrent = false;
    m_topLevel.clear();
    m_topLevel.shrink_to_fit();
    m_linkFacts.clear();
    m_linkFacts.shrink_to_fit();
}

void EntryTree::setLinkFacts(EntryId entry, const LinkFacts& facts)
{
    // A scan adds entries in ascending order: the usual place is the end.
    auto at = m_linkFacts.end();
    if (!m_linkFacts.empty() && m_linkFacts.back().first >= entry)
        at = std::lower_bound(m_linkFacts.begin(), m_linkFacts.end(), entry,
                              [](const auto& item, EntryId id) { return item.first < id; });
    if (at != m_linkFacts.end() && at->first == entry)
        at->second = facts;
    else
        m_linkFacts.insert(at, {entry, facts});
}

const EntryTree::LinkFacts* EntryTree::linkFacts(EntryId entry) const
{
    const auto at = std::lower_bound(m_linkFacts.begin(), m_linkFacts.end(), entry,
                                     [](const auto& item, EntryId id) { return item.first < id; });
    return at != m_linkFacts.end() && at->first == entry ? &at->second : nullptr;
}

std::string EntryTree::EntryPath(EntryId entry) const
{
    std::vector<EntryId> chain;
    std::size_t length = 0;
    for (EntryId e = entry; e != NoEntry; e = node(e).parent) {
        chain.push_back(e);
        length += name(e).size() + 1;
    }
    std::string path;
    path.reserve(length);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path += name(*it);
        if (path.empty() || path.back() != PathSeparator)
            path += PathSeparator;
    }
    return path;
}

EntryId EntryTree::childAt(EntryId parent, std::uint32_t row) const
{
    if (parent == NoEntry)
        return row < m_topLevel.size() ? m_topLevel[row] : NoEntry;
    ensureRowIndex();
    const Node& folder = node(parent);
    return row < folder.childCount ? m_rowIndex[folder.childBase + row] : NoEntry;
}

void EntryTree::ensureRowIndex() const
{
    if (m_rowIndexCurrent)
        return;
    // Every entry but the hidden top is somebody's child: one slot each, the children of one
    // folder side by side, each in the slot of its row.
    m_rowIndex.resize(m_count - 1);
    std::uint32_t base = 0;
    for (EntryId id = 0; id < m_count; ++id) {
        // The chunks own their nodes, not the tree's constness: the index is a cache.
        Node& folder = const_cast<Node&>(node(id));
        folder.childBase = base;
        base += folder.childCount;
    }
    for (EntryId id = 1; id < m_count; ++id) {
        const Node& child = node(id);
        m_rowIndex[node(child.parent).childBase + child.row] = id;
    }
    m_rowIndexCurrent = true;
}

std::size_t EntryTree::memoryBytes() const
{
    return m_chunks.size() * ChunkSize * sizeof(Node) + m_names.capacityBytes()
        + (m_rowIndex.capacity() + m_topLevel.capacity()) * sizeof(EntryId)
        + m_linkFacts.capacity() * sizeof(m_linkFacts[0]);
}

} // namespace tallyvane

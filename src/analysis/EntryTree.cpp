// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/EntryTree.h"

#include "analysis/EntryRecord.h"

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

EntryId EntryTree::AddEntry(EntryId parent)
{
    return addEntry(parent, 0, 0, {});
}

EntryId EntryTree::addEntry(EntryId parent, std::uint32_t attributes, std::int64_t size,
                            std::string_view name)
{
    assert(parent < m_count);
    if (m_count == std::numeric_limits<EntryId>::max())
        throw std::length_error("too many entries");
    if ((m_count & (ChunkSize - 1)) == 0)
        m_chunks.push_back(std::make_unique_for_overwrite<Node[]>(ChunkSize));

    const EntryId id = m_count++;
    Node& added = node(id);
    added = Node{size, m_names.store(name), parent, NoEntry, NoEntry, NoEntry, attributes, 0, 0, 0};

    Node& folder = node(parent);
    if (folder.lastChild == NoEntry)
        folder.firstChild = id;
    else
        node(folder.lastChild).nextSibling = id;
    folder.lastChild = id;
    ++folder.childCount;
    m_rowIndexCurrent = false;
    return id;
}

std::optional<TEntryRecord> EntryTree::EntryRecord(EntryId entry) const
{
    if (entry == NoEntry)
        return std::nullopt;
    const Node& n = node(entry);
    return MakeEntryRecord(n.attributes, n.size, m_names.view(n.name));
}

void EntryTree::SetEntryRecord(EntryId entry, const TEntryRecord& record)
{
    Node& n = node(entry);
    n.attributes = record.attributes;
    n.size = EntrySize(record.sizeHigh, record.sizeLow);
    n.name = m_names.store(RecordName(record));
}

EntryId EntryTree::NextEntry(EntryId entry) const
{
    return NextEntryWithin(entry, NoEntry);
}

EntryId EntryTree::NextEntryWithin(EntryId entry, EntryId top) const
{
    if (const EntryId child = node(entry).firstChild; child != NoEntry)
        return child;
    for (EntryId e = entry; e != top && e != NoEntry; e = node(e).parent) {
        if (const EntryId sibling = node(e).nextSibling; sibling != NoEntry)
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
    node(NoEntry) = Node{0, 0, NoEntry, NoEntry, NoEntry, NoEntry, Attribute::Directory, 0, 0, 0};
    m_count = 1;
    m_names.clear();
    m_rowIndex.clear();
    m_rowIndex.shrink_to_fit();
    m_rowIndexCurrent = false;
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
    ensureRowIndex();
    const Node& folder = node(parent);
    return row < folder.childCount ? m_rowIndex[folder.childBase + row] : NoEntry;
}

std::uint32_t EntryTree::rowOf(EntryId entry) const
{
    ensureRowIndex();
    return node(entry).row;
}

void EntryTree::ensureRowIndex() const
{
    if (m_rowIndexCurrent)
        return;
    // Every entry but the hidden top is somebody's child: one slot each.
    m_rowIndex.resize(m_count - 1);
    std::uint32_t base = 0;
    for (EntryId id = 0; id < m_count; ++id) {
        // The chunks own their nodes, not the tree's constness: the index is a cache.
        Node& folder = const_cast<Node&>(node(id));
        folder.childBase = base;
        std::uint32_t row = 0;
        for (EntryId child = folder.firstChild; child != NoEntry; child = node(child).nextSibling) {
            const_cast<Node&>(node(child)).row = row;
            m_rowIndex[base + row++] = child;
        }
        base += row;
    }
    m_rowIndexCurrent = true;
}

void EntryTree::relinkChildren(Node& folder)
{
    const auto first = m_rowIndex.begin() + folder.childBase;
    const auto last = first + folder.childCount;
    folder.firstChild = *first;
    folder.lastChild = *(last - 1);
    std::uint32_t row = 0;
    for (auto it = first; it != last; ++it) {
        Node& child = node(*it);
        child.row = row++;
        child.nextSibling = (it + 1 == last) ? NoEntry : *(it + 1);
    }
}

std::size_t EntryTree::memoryBytes() const
{
    return m_chunks.size() * ChunkSize * sizeof(Node) + m_names.capacityBytes()
        + m_rowIndex.capacity() * sizeof(EntryId);
}

} // namespace tallyvane

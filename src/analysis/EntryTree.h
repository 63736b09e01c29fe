// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/NameArena.h"
#include "platform/FileAttributes.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tallyvane {

// An entry is addressed by a small number. NoEntry is the tree's hidden top: the top-level
// entries are its children, so "none" as a parent means "at the top level".
using EntryId = std::uint32_t;
inline constexpr EntryId NoEntry = 0;

// The ordered tree of entries a scan produces: one entry per file and folder. Only its
// attributes, size and name are kept per entry, plus the tree links. Names live in an arena.
//
// Children keep the order in which they were added until sortChildren() reorders them. Each
// entry knows its row among its siblings; a folder's children are found through one index that
// holds every folder's children side by side, rebuilt in one pass on the first question after
// entries were added (the top-level entries are also kept apart, and asking for them builds
// nothing). So the tree answers "which entry is row n of this folder" and "which row
// is this entry" in constant time and keeps no sibling links.
class EntryTree {
public:
    EntryTree();
    ~EntryTree();
    EntryTree(const EntryTree&) = delete;
    EntryTree& operator=(const EntryTree&) = delete;

    // Exchanges the whole contents with other's. A tree filled on another thread takes the
    // place of a shown one this way, while every reference to either tree stays valid.
    void swap(EntryTree& other) noexcept;

    // Appends an entry as the last child of parent (NoEntry: as a new top-level entry) and
    // returns it.
    EntryId addEntry(EntryId parent, std::uint32_t attributes, std::int64_t size, std::string_view name);

    EntryId ParentEntry(EntryId entry) const { return node(entry).parent; }
    EntryId FirstChildEntry(EntryId entry) const { return childAt(entry, 0); }
    EntryId NextSiblingEntry(EntryId entry) const;
    // The next entry in pre-order over the whole tree, or NoEntry after the last one.
    EntryId NextEntry(EntryId entry) const;
    // The same without leaving top's subtree (top NoEntry: the whole tree). A walk from top
    // with it costs one step per entry, however deep the subtree.
    EntryId NextEntryWithin(EntryId entry, EntryId top) const;
    // True when ancestor is a proper ancestor of entry.
    bool IsBelow(EntryId entry, EntryId ancestor) const;
    // The number of ancestors: 0 for a top-level entry.
    int EntryLevel(EntryId entry) const;
    EntryId FirstEntry() const { return childAt(NoEntry, 0); }
    void ClearEntries();
    std::size_t EntryCount() const { return m_count - 1; }
    // The names from the top-level entry down to entry, each followed by the path separator
    // unless it already ends with one (the file-system root "/").
    std::string EntryPath(EntryId entry) const;

    std::uint32_t attributes(EntryId entry) const { return node(entry).attributes; }
    bool isFolder(EntryId entry) const { return node(entry).attributes & Attribute::Directory; }
    std::int64_t size(EntryId entry) const { return node(entry).size(); }
    void setSize(EntryId entry, std::int64_t size) { node(entry).setSize(size); }
    // Adds scan marks (Attribute::ScanMarks) found after the entry was added.
    void addMarks(EntryId entry, std::uint32_t marks) { node(entry).attributes |= marks; }
    std::string_view name(EntryId entry) const { return m_names.view(node(entry).nameRef()); }
    std::uint32_t childCount(EntryId entry) const { return node(entry).childCount; }

    // Row n among parent's children (NoEntry: among the top-level entries), and its inverse.
    EntryId childAt(EntryId parent, std::uint32_t row) const;
    std::uint32_t rowOf(EntryId entry) const { return node(entry).row; }

    // Reorders the children of every folder with a stable sort: an entry moves before an
    // earlier sibling only when comesBefore(entry, sibling) holds.
    template <typename ComesBefore>
    void sortChildren(ComesBefore comesBefore)
    {
        for (EntryId id = 0; id < m_count; ++id)
            sortChildrenOf(id, comesBefore);
    }
    // The same for one folder's children (NoEntry: the top-level entries).
    template <typename ComesBefore>
    void sortChildrenOf(EntryId parent, ComesBefore comesBefore)
    {
        Node& folder = node(parent);
        if (folder.childCount < 2)
            return;
        // Ties go by the row an entry has now, which makes an unstable sort stable without the
        // buffer a stable one allocates for every folder.
        const auto comesFirst = [this, &comesBefore](EntryId a, EntryId b) {
            if (comesBefore(a, b))
                return true;
            if (comesBefore(b, a))
                return false;
            return node(a).row < node(b).row;
        };
        if (parent == NoEntry) {
            std::sort(m_topLevel.begin(), m_topLevel.end(), comesFirst);
            renumber(m_topLevel.begin(), m_topLevel.end());
            if (m_rowIndexCurrent)
                std::copy(m_topLevel.begin(), m_topLevel.end(), m_rowIndex.begin() + folder.childBase);
            return;
        }
        ensureRowIndex();
        const auto first = m_rowIndex.begin() + folder.childBase;
        std::sort(first, first + folder.childCount, comesFirst);
        renumber(first, first + folder.childCount);
    }

    // What a scan that counts hard links once learned of a file with several links: its
    // identity and its own length, which a link counted elsewhere keeps here while its entry's
    // size is 0. Kept beside the entries, for such files only.
    struct LinkFacts {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint32_t links = 0;
        std::int64_t size = 0;
    };
    void setLinkFacts(EntryId entry, const LinkFacts& facts);
    // None for an entry the scan kept no link facts of.
    const LinkFacts* linkFacts(EntryId entry) const;

    // Bytes held for the entries, their names, the row index and the link facts.
    std::size_t memoryBytes() const;

private:
    // The 64-bit fields are kept in halves: with nothing to align to 8 bytes, the node takes 36
    // bytes and millions of them fit where they otherwise would not.
    struct Node {
        std::uint32_t sizeLow;
        std::uint32_t sizeHigh;
        std::uint32_t nameLow;
        std::uint32_t nameHigh;
        EntryId parent;
        std::uint32_t attributes;
        std::uint32_t childCount;
        std::uint32_t row;       // among its siblings, always current
        std::uint32_t childBase; // where its children start in m_rowIndex, while that is current

        std::int64_t size() const { return static_cast<std::int64_t>(join(sizeHigh, sizeLow)); }
        void setSize(std::int64_t size)
        {
            sizeLow = static_cast<std::uint32_t>(size);
            sizeHigh = static_cast<std::uint32_t>(static_cast<std::uint64_t>(size) >> 32);
        }
        NameArena::Ref nameRef() const { return join(nameHigh, nameLow); }
        void setNameRef(NameArena::Ref ref)
        {
            nameLow = static_cast<std::uint32_t>(ref);
            nameHigh = static_cast<std::uint32_t>(ref >> 32);
        }
        static std::uint64_t join(std::uint32_t high, std::uint32_t low) { return (std::uint64_t{high} << 32) | low; }
    };
    static_assert(sizeof(Node) == 36);

    static constexpr unsigned ChunkBits = 16;
    static constexpr std::uint32_t ChunkSize = 1u << ChunkBits;

    Node& node(EntryId id) { return m_chunks[id >> ChunkBits][id & (ChunkSize - 1)]; }
    const Node& node(EntryId id) const { return m_chunks[id >> ChunkBits][id & (ChunkSize - 1)]; }
    void ensureRowIndex() const;
    // Gives each of a folder's children, listed in order, the row of its place in the list.
    template <typename Iterator>
    void renumber(Iterator first, Iterator last)
    {
        std::uint32_t row = 0;
        for (; first != last; ++first)
            node(*first).row = row++;
    }

    // Nodes in fixed-size chunks: growing never moves or copies what is stored.
    std::vector<std::unique_ptr<Node[]>> m_chunks;
    std::uint32_t m_count = 0; // nodes in use, the hidden top included
    NameArena m_names;
    mutable std::vector<EntryId> m_rowIndex;
    mutable bool m_rowIndexCurrent = false;
    // The top-level entries by row, beside the index: a report of the top alone, or the way
    // from one top-level entry to the next, needs no index of the whole tree.
    std::vector<EntryId> m_topLevel;
    std::vector<std::pair<EntryId, LinkFacts>> m_linkFacts; // by entry, ascending
};

} // namespace tallyvane

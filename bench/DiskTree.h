// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "platform/FileAttributes.h"

#include <QElapsedTimer>

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tallyvane::bench {

// Builds in memory a tree shaped like a disk: folders of 2 to 40 entries, about one in eight a
// folder, down to nine levels, files with exponential sizes named with the given suffixes, and
// optionally one folder of `wideChildren` files below the root. The same seed gives the same tree.
class DiskTree {
public:
    DiskTree(EntryTree& tree, std::uint32_t seed, std::span<const char* const> suffixes)
        : m_tree(tree), m_random(seed), m_suffixes(suffixes)
    {
    }

    EntryId build(std::size_t entries, std::size_t wideChildren = 0)
    {
        const EntryId root = m_tree.addEntry(NoEntry, Attribute::Directory, 0, "/bench");
        m_wide = NoEntry;
        if (wideChildren > 0) {
            m_wide = m_tree.addEntry(root, Attribute::Directory, 0, "wide");
            for (std::size_t i = 0; i < wideChildren; ++i)
                addFile(m_wide, i);
        }
        std::vector<std::pair<EntryId, int>> folders{{root, 0}};
        for (std::size_t next = 0; m_tree.EntryCount() < entries; next = (next + 1) % folders.size()) {
            const auto [folder, level] = folders[next];
            const int count = 2 + static_cast<int>(m_random() % 39);
            for (int i = 0; i < count && m_tree.EntryCount() < entries; ++i) {
                if (level < 9 && m_random() % 8 == 0) {
                    const EntryId sub = m_tree.addEntry(folder, Attribute::Directory, 0, "folder" + std::to_string(i));
                    folders.emplace_back(sub, level + 1);
                } else {
                    addFile(folder, static_cast<std::size_t>(i));
                }
            }
        }
        sumFolders();
        return root;
    }

    EntryId wide() const { return m_wide; }

private:
    void addFile(EntryId folder, std::size_t i)
    {
        const auto size = static_cast<std::int64_t>(std::exponential_distribution<double>(1e-5)(m_random));
        const char* suffix = m_suffixes.size() == 1 ? m_suffixes[0] : m_suffixes[m_random() % m_suffixes.size()];
        m_tree.addEntry(folder, Attribute::Normal, size, "file" + std::to_string(i) + suffix);
    }

    // Children come after their folder, so one backward pass adds every folder up.
    void sumFolders()
    {
        for (EntryId id = static_cast<EntryId>(m_tree.EntryCount()); id >= 1; --id) {
            const EntryId parent = m_tree.ParentEntry(id);
            if (parent != NoEntry)
                m_tree.setSize(parent, m_tree.size(parent) + m_tree.size(id));
        }
    }

    EntryTree& m_tree;
    std::mt19937 m_random;
    std::span<const char* const> m_suffixes;
    EntryId m_wide = NoEntry;
};

inline double elapsedMs(const QElapsedTimer& clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace tallyvane::bench

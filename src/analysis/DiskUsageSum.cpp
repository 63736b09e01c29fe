// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/DiskUsageSum.h"

#include "platform/FileFacts.h"

namespace tallyvane {

DiskUsageSum::DiskUsageSum(const EntryTree& tree, EntryId folder, FileFactsSource& files)
    : m_tree(tree), m_folder(folder), m_files(files), m_next(tree.FirstChildEntry(folder))
{
}

bool DiskUsageSum::step(int maxEntries)
{
    for (int asked = 0; asked < maxEntries && m_next != NoEntry; ++asked) {
        std::string path = m_tree.EntryPath(m_next);
        path.pop_back(); // the trailing separator: a file's path must not end in one
        if (const auto facts = m_files.factsOf(path))
            m_total += facts->sizeOnDisk;
        m_next = m_tree.NextEntryWithin(m_next, m_folder);
    }
    return done();
}

} // namespace tallyvane

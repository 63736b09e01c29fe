// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

#include <cstdint>

namespace tallyvane {

class FileFactsSource;

// What everything below a folder of the tree takes on disk now: the allocated blocks of every
// file, link and folder at any depth, as the file system reports them. The analysis records
// lengths only, so each path is asked again; the sum is made a bounded step at a time, so that
// the user-interface thread stays responsive and whoever runs it can stop between steps. Paths
// gone since the analysis count nothing.
class DiskUsageSum {
public:
    DiskUsageSum(const EntryTree& tree, EntryId folder, FileFactsSource& files);

    // Asks at most maxEntries more entries; true once every entry below the folder is counted.
    bool step(int maxEntries);
    bool done() const { return m_next == NoEntry; }
    std::int64_t total() const { return m_total; }

private:
    const EntryTree& m_tree;
    EntryId m_folder;
    FileFactsSource& m_files;
    EntryId m_next;
    std::int64_t m_total = 0;
};

} // namespace tallyvane

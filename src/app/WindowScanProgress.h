// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/FolderScan.h"

#include <QElapsedTimer>

#include <cstdint>

class QLabel;

namespace tallyvane {

// Keeps the window alive during a scan: the scan calls the pump once per record, and the pump
// processes the window's events when it last did so more than a moment ago, then shows the
// entries found and the folder being read as they are at that moment. What the user sees is
// the same as one update per record, at a fraction of the cost.
class WindowScanProgress final : public ScanHost {
public:
    static constexpr int PumpInterval = 15; // milliseconds

    // stopFlag is 1 once the user asked to stop; scanCount receives the entries found.
    WindowScanProgress(const int& stopFlag, std::int32_t& scanCount, QLabel& countLabel, QLabel& statusPanel);

    void pumpMessages() override;
    bool stopRequested() const override { return m_stopFlag == 1; }
    void folderEntered(const EntryTree& tree, EntryId folder) override;
    void entryCounted(std::uint32_t scanCount) override { m_scanCount = static_cast<std::int32_t>(scanCount); }
    void scanFinished() override { publish(); }

private:
    void publish();

    const int& m_stopFlag;
    std::int32_t& m_scanCount;
    QLabel& m_countLabel;
    QLabel& m_statusPanel;
    QElapsedTimer m_sincePump;
    const EntryTree* m_tree = nullptr;
    EntryId m_folder = NoEntry;
    EntryId m_shownFolder = NoEntry;
    std::int32_t m_shownCount = 0;
};

} // namespace tallyvane

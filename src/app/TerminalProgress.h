// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/FolderScan.h"

#include <chrono>
#include <csignal>
#include <cstdio>

namespace tallyvane {

// Drives a scan from the command line: shows the entries found, the folder being read and the
// elapsed time on one line of a terminal, at most ten times a second, and stops the scan when
// the user interrupts the program (Ctrl+C).
class TerminalProgress final : public ScanHost {
public:
    // show: whether to draw the progress line on the stream (only on a terminal).
    TerminalProgress(std::FILE* stream, bool show);
    ~TerminalProgress() override;

    void pumpMessages() override;
    bool stopRequested() const override;
    void folderEntered(const EntryTree& tree, EntryId folder) override;
    void entryCounted(std::uint32_t scanCount) override { m_count = scanCount; }
    // Clears the progress line.
    void scanFinished() override;

private:
    using Clock = std::chrono::steady_clock;
    void draw();

    std::FILE* m_stream;
    bool m_show;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_lastDraw{};
    std::uint32_t m_pumps = 0;
    std::uint32_t m_count = 0;
    const EntryTree* m_tree = nullptr;
    EntryId m_folder = NoEntry;
    bool m_drawn = false;
};

} // namespace tallyvane

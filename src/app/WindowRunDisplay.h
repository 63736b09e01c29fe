// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/AnalysisRun.h"

#include <QElapsedTimer>

#include <functional>

class QLabel;
class QTimer;

namespace tallyvane {

class EntryCommands;
class MemoryReserve;
class MessageBoxes;
class ReportPage;

// The window's side of an analysis run: the report page's controls and texts, the grid, the
// status panel, the elapsed-time timer and the message boxes.
//
// The scan calls the pump once per record; the pump processes the window's events when it last
// did so more than a moment ago, then shows the entries found and the folder being read as they
// are at that moment. What the user sees is the same as one update per record, at a fraction of
// the cost.
//
// While the scan fills the tree it holds a memory reserve, which the window gets back whenever
// it works: when memory runs short, the scan fails for want of it (and the run says so) before
// the toolkit does, halfway through drawing something.
class WindowRunDisplay final : public AnalysisDisplay {
public:
    static constexpr int PumpInterval = 15; // milliseconds

    // runEnded: called when a run is over, with true when the window is to close now.
    // progressPanel shows how far a scan of a file system's top has come, beside statusPanel's
    // folder being read, and is hidden whenever there is nothing to tell.
    WindowRunDisplay(ReportPage& page, QLabel& statusPanel, QLabel& progressPanel, QTimer& timer,
                     MessageBoxes& messages, EntryCommands& commands, MemoryReserve& reserve,
                     std::function<void(bool)> runEnded);

    void showMessage(RunMessage message, const std::string& path) override;
    void pumpMessages(AnalysisRun& run) override;
    void showScanFinished(AnalysisRun& run) override;
    bool confirmExit() override;
    void showRunStarted() override;
    void showVolume(const std::string& path) override;
    void showImportedScan(const ImportedScan& scan) override;
    void showImportFailed(const std::string& path, const std::string& reason) override;
    void showTreeEmptying() override;
    void showTreeFilled(EntryId root) override;
    void showRunOutcome(bool cancelled) override;
    void showStopped() override;
    void showElapsed(std::int32_t seconds) override;
    void showRunEnded(bool closeNow) override;

private:
    void publish(AnalysisRun& run);
    void showProgress(const QString& text);
    // Throws std::bad_alloc when the reserve cannot be had: the scan fails as if it had run out.
    void holdReserve();

    ReportPage& m_page;
    QLabel& m_statusPanel;
    QLabel& m_progressPanel;
    QTimer& m_timer;
    MessageBoxes& m_messages;
    EntryCommands& m_commands;
    MemoryReserve& m_reserve;
    std::function<void(bool)> m_runEnded;
    QElapsedTimer m_sincePump;
    EntryId m_shownFolder = NoEntry;
    std::int32_t m_shownCount = 0;
};

} // namespace tallyvane

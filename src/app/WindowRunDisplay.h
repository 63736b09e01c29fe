// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/AnalysisRun.h"

#include <QString>

#include <cstdint>
#include <string>

class QLabel;
class QTimer;

namespace tallyvane {

class EntryDocument;
class MessageBoxes;
class ReportPage;

// Why a run did not start, or what went wrong in it.
enum class RunMessage {
    Busy,         // a run is going on; it must be cancelled first
    SelectFolder, // no folder was chosen
    OpenError,    // the folder cannot be opened (path: the folder)
    ScanError,    // the scan failed, in practice for want of memory (path: the folder, with a separator)
};

// What the window shows of a run: the report page's controls and texts, the grid's update
// block and the root it shows at the end, the status panel, the elapsed-time timer and the
// message boxes. It decides nothing; RunController tells it what to show when.
class WindowRunDisplay final {
public:
    // progressPanel shows how far a scan of a file system's top has come, beside statusPanel's
    // folder being read, and is hidden whenever there is nothing to tell.
    WindowRunDisplay(ReportPage& page, const EntryDocument& document, QLabel& statusPanel, QLabel& progressPanel,
                     QTimer& timer, MessageBoxes& messages);

    void showMessage(RunMessage message, const std::string& path);
    // Asked before the program closes while no scan needs cancelling first; true to close.
    bool confirmExit();
    // A run begins: the controls switch to scanning, the counts read 0 and the elapsed time
    // starts.
    void showRunStarted();
    // The volume holding path is about to be scanned; empty clears the summary.
    void showVolume(const std::string& path);
    // The tree is emptied for a scan: the treemap says it waits for the scan.
    void showTreeEmptying();
    // The scan's tree is about to take the document's place: the grid holds its updates until
    // the root is shown.
    void showTreeArriving();
    void showProgress(const RunProgress& progress);
    // The elapsed time stops: the work is over.
    void stopElapsed();
    // The new tree is in place: its root is shown selected, expanded and focused, with its
    // chart, and the grid's update block closes.
    void showTreeFilled();
    // The tree shown comes from an import of this scan, not from this machine's files.
    void showImportedScan(const ImportedScan& scan);
    // The import of the file at path failed for the reason given.
    void showImportFailed(const std::string& path, const std::string& reason);
    void showRunOutcome(bool cancelled);
    // The controls are back at rest and the elapsed time stops.
    void showStopped();
    void showElapsed(std::int32_t seconds);

private:
    void showEstimate(const QString& text);

    ReportPage& m_page;
    const EntryDocument& m_document;
    QLabel& m_statusPanel;
    QLabel& m_progressPanel;
    QTimer& m_timer;
    MessageBoxes& m_messages;
    std::uint32_t m_shownCount = 0;
    std::string m_shownFolder;
};

} // namespace tallyvane

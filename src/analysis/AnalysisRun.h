// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntrySort.h"
#include "analysis/EntryTree.h"
#include "analysis/FolderScan.h"
#include "analysis/NcduImport.h"
#include "analysis/ScanEstimate.h"
#include "analysis/ScanOptions.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tallyvane {

class AnalysisRun;

// Why a run did not start, or what went wrong in it; the display words it.
enum class RunMessage {
    Busy,         // a run is going on; it must be cancelled first
    SelectFolder, // no folder was chosen
    OpenError,    // the folder cannot be opened (path: the folder)
    ScanError,    // the scan failed, in practice for want of memory (path: the folder, with a separator)
};

// How a scan of a folder ended.
enum class ScanOutcome { Complete, Cancelled, Failed, NotAFolder };

// How an import ended; after a failure the tree is empty and error says why.
struct ImportResult {
    ScanOutcome outcome = ScanOutcome::Complete;
    ImportedScan scan;
    std::string error; // with the byte offset where reading stopped
};

// What a run shows, and where it hands control back to whoever shows it. The window implements
// all of it; the command line only what a terminal shows.
class AnalysisDisplay {
public:
    virtual ~AnalysisDisplay() = default;

    virtual void showMessage(RunMessage message, const std::string& path) = 0;
    // Called once per record while the scan runs. The display may show run.ScanCount and
    // run.currentFolder(), process its user's input (which may cancel the run) and return at
    // once when it ran a moment ago.
    virtual void pumpMessages(AnalysisRun& run) = 0;
    // The scan is over, completely or up to a stop: what it shows of the scan is brought up to
    // date.
    virtual void showScanFinished(AnalysisRun& run) = 0;

    // Asked before the program closes while no scan needs cancelling first; true to close.
    virtual bool confirmExit() { return true; }
    // A run begins: the controls switch to scanning, the counts read 0 and the elapsed time
    // starts; the display may handle pending input once (a Cancel there is not lost).
    virtual void showRunStarted() {}
    // The volume holding path is about to be scanned.
    virtual void showVolume(const std::string& /*path*/) {}
    // The tree shown comes from an import of this scan, not from this machine's files.
    virtual void showImportedScan(const ImportedScan& /*scan*/) {}
    // The import of the file at path failed for the reason given.
    virtual void showImportFailed(const std::string& /*path*/, const std::string& /*reason*/) {}
    // The tree is about to be emptied and filled again: the views let go of its entries and
    // hold their updates until showTreeFilled.
    virtual void showTreeEmptying() {}
    // The tree is filled and sorted; root is its first entry, NoEntry when it stayed empty.
    virtual void showTreeFilled(EntryId /*root*/) {}
    // The run's scan ended, completely or after a stop.
    virtual void showRunOutcome(bool /*cancelled*/) {}
    // The controls are back at rest and the elapsed time stops: the run ended or was cancelled.
    virtual void showStopped() {}
    virtual void showElapsed(std::int32_t /*seconds*/) {}
    // The run is over; with closeNow the program was asked to close while it wound down.
    virtual void showRunEnded(bool /*closeNow*/) {}
};

// One analysis at a time of the folder at CurPath: it scans into a tree, sorts it and tells
// the display what to show. A second run never starts inside the pump of a running one, whose
// open folders still hold entries of the tree; a cancelled run leaves a partial tree whose
// folder sizes add up.
class AnalysisRun final : private ScanHost {
public:
    // The run fills tree, which outlives it and which the views show.
    AnalysisRun(EntryTree& tree, FileSystem& fileSystem, AnalysisDisplay& display);

    EntryTree& tree() { return m_tree; }
    const EntryTree& tree() const { return m_tree; }

    // Runs the analysis of CurPath, unless one is going on or no folder was chosen.
    void start();
    // Scans path (bytes, with or without a trailing separator) into a new tree and sorts it.
    ScanOutcome AnalyzeFolder(const std::string& path);
    // Runs an import of the ncdu export at path ("-": standard input) in place of a scan,
    // unless a run is going on.
    void startImport(const std::string& path);
    // Reads an ncdu export from input into a new tree and sorts it, as AnalyzeFolder does with
    // a folder; a stop keeps what was read, as after a stopped scan, while a file that does not
    // follow the format leaves the tree empty.
    ImportResult ImportScan(ImportInput& input);
    // Asks a running scan to stop and puts the controls at rest.
    void cancel();
    // One second of the run has passed.
    void tick();
    // Whether the program may close now. While a scan needs cancelling first, the display says
    // so and the answer is no; otherwise the user is asked, and a cancelled scan still winding
    // down makes the program close once the run returns.
    bool closeQuery();

    bool isBusy() const { return m_busy; }
    // Shows the busy message and returns true while a run is going on.
    bool refuseWhileBusy();
    // The folder being read while the scan runs.
    EntryId currentFolder() const { return m_currentFolder; }
    // The order every folder's children take once the tree is filled (by size, largest first,
    // unless set); SortKey::None leaves the sorting to whoever shows the tree. With depthLimit
    // 0 or more, entries further below the top than that are shown to nobody and keep the
    // order they were found in.
    void setSortOrder(SortKey key, SortDirection direction, int depthLimit = -1);
    // What the next scans leave out or count once; a scan going on keeps what it began with.
    void setScanOptions(ScanOptions options) { m_scanOptions = std::move(options); }
    const ScanOptions& scanOptions() const { return m_scanOptions; }
    // The clock progress is judged by, which must outlive the run; the machine's steady clock
    // unless set.
    void setClock(const ScanClock& clock) { m_clock = &clock; }
    // While a scan runs: how far it has come, when the scanned folder is the top of its file
    // system and that tells how many files and folders it holds (see ScanEstimate). None for
    // any other folder, outside a scan and in its first seconds.
    std::optional<ScanProgress> progress();

    std::string CurPath; // the folder to analyse, as bytes
    int StopFlag = 0;    // 1 once a stop was asked for
    std::int32_t ScanCount = 0;
    std::int32_t TimeCount = 0; // seconds since the scan began

private:
    // Makes the run busy for body's length and puts the controls back at rest afterwards.
    template <typename Body>
    void runBusy(Body body);
    void pumpMessages() override;
    bool stopRequested() const override { return StopFlag == 1; }
    void folderEntered(const EntryTree& tree, EntryId folder) override;
    void entryCounted(std::uint32_t scanCount) override;
    void scanFinished() override;

    FileSystem& m_fileSystem;
    AnalysisDisplay& m_display;
    EntryTree& m_tree;
    EntryId m_currentFolder = NoEntry;
    ScanOptions m_scanOptions;
    SteadyScanClock m_steadyClock;
    const ScanClock* m_clock = &m_steadyClock;
    std::optional<ScanEstimate> m_estimate; // while a scan of a file system's top runs
    double m_scanStart = 0;
    SortKey m_sortKey = SortKey::Size;
    SortDirection m_sortDirection = SortDirection::Descending;
    int m_sortDepthLimit = -1;
    bool m_busy = false;
    bool m_closeAfterRun = false;
};

} // namespace tallyvane

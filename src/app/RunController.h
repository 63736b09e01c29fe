// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/AnalysisThread.h"
#include "analysis/ScanOptions.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>

namespace tallyvane {

class EntryDocument;
class FileSystem;
class MemoryReserve;
class WindowRunDisplay;

// The window's analysis runs, one at a time: it starts a scan or an import on the analysis
// thread, shows its progress from a snapshot taken a few times a second, hands the finished tree
// to the document once, and keeps the window's rules while a run goes on: a second run is
// refused with the busy message, Cancel puts the controls at rest at once while the scan winds
// down, and a close is refused until the scan is cancelled, then carried out once it has wound
// down. The UI thread never waits for the scan.
//
// While the tree grows the run keeps the room of the memory reserve free for the window: when
// memory runs short, the scan fails (and the window says so) before the toolkit does, halfway
// through drawing something.
class RunController final : public QObject {
    Q_OBJECT

public:
    // How often the progress shown is brought up to date.
    static constexpr int ProgressInterval = 40; // milliseconds

    RunController(EntryDocument& document, FileSystem& fileSystem, WindowRunDisplay& display, MemoryReserve& reserve,
                  QObject* parent = nullptr);
    ~RunController() override;

    // The folder to analyse, as bytes; empty until one was chosen.
    const std::string& folder() const { return m_folder; }
    void setFolder(std::string folder) { m_folder = std::move(folder); }
    // What the next scans leave out or count once; a scan going on keeps what it began with.
    void setScanOptions(ScanOptions options) { m_scanOptions = std::move(options); }
    const ScanOptions& scanOptions() const { return m_scanOptions; }

    // Analyses the folder, unless a run is going on or no folder was chosen.
    void start();
    // Shows the ncdu export at path ("-": standard input) in place of a scan, unless a run is
    // going on.
    void startImport(const std::string& path);
    // Asks a running scan to stop and puts the controls at rest at once.
    void cancel();
    // One second of the run has passed.
    void tick();
    // Whether the window may close now. While a scan needs cancelling first, the display says
    // so and the answer is no; otherwise the user is asked, and a cancelled scan still winding
    // down makes the window close once the run ends.
    bool closeQuery();

    bool isBusy() const { return m_busy; }
    // True from a Cancel (or the end of a run) until the next run starts.
    bool stopRequested() const { return m_stopRequested; }
    // Shows the busy message and returns true while a run is going on.
    bool refuseWhileBusy();
    // Seconds counted by tick() since the run began.
    std::int32_t elapsedSeconds() const { return m_elapsed; }

signals:
    // The run is over and the controls are at rest; with closeNow the window was asked to close
    // while the scan wound down.
    void runEnded(bool closeNow);

private:
    bool begin();
    void launch(RunRequest request);
    void finish(RunResult result);
    void end(bool cancelled);
    void showProgress();
    // Whether the memory reserve could be had now; the run needs it to go on.
    bool roomLeft();

    EntryDocument& m_document;
    FileSystem& m_fileSystem;
    WindowRunDisplay& m_display;
    MemoryReserve& m_reserve;
    AnalysisThread m_thread;
    QTimer m_progressTimer;
    std::string m_folder;
    std::string m_importPath; // of the import going on
    ScanOptions m_scanOptions;
    std::int32_t m_elapsed = 0;
    bool m_busy = false;
    bool m_stopRequested = true;
    bool m_closeAfterRun = false;
};

} // namespace tallyvane

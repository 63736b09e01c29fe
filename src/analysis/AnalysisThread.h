// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/AnalysisRun.h"

#include <functional>
#include <memory>
#include <thread>

namespace tallyvane {

// Runs one analysis at a time on a thread of its own. Whoever started it reads its progress
// and may stop it from their own thread; the result is handed over once, to finished, called on
// the analysis thread as its last act.
class AnalysisThread {
public:
    using Finished = std::function<void(RunResult)>;

    // Background: the run, and the read-ahead workers it starts, yield the processor to the
    // program's other threads (a lower scheduling priority, as nice does), so a window stays
    // responsive however many threads read. Foreground: the same priority as the program.
    enum class Priority { Foreground, Background };

    explicit AnalysisThread(FileSystem& fileSystem, Priority priority = Priority::Foreground,
                            const ScanClock* clock = nullptr);
    // Stops a run still going and waits for its thread, which still hands over what it found.
    ~AnalysisThread();
    AnalysisThread(const AnalysisThread&) = delete;
    AnalysisThread& operator=(const AnalysisThread&) = delete;

    // Starts request unless a run is going on (false). Throws std::system_error when no thread
    // can be had.
    bool start(RunRequest request, Finished finished);
    bool isRunning() const { return m_run != nullptr; }
    // Asks the run going on to stop; it ends at its next record.
    void stop();
    // The progress of the run going on, as of its last snapshot (see AnalysisRun::progress).
    RunProgress progress();
    // Called by the owner once finished has been delivered: joins the thread that ran it.
    void reap();

private:
    FileSystem& m_fileSystem;
    Priority m_priority;
    const ScanClock* m_clock;
    std::unique_ptr<AnalysisRun> m_run;
    std::thread m_thread;
};

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/AnalysisRun.h"

#include <chrono>
#include <csignal>
#include <cstdio>

namespace tallyvane {

// Drives a scan from the command line: shows the entries found, the elapsed time, the share
// done and the time left where the run estimates them, and the folder being read on one line
// of a terminal, at most ten times a second, and ends the program with exit status 130 at once
// when the user interrupts it (Ctrl+C or SIGTERM), whatever it waits for. While a file is being
// replaced the interrupt is held instead: the scan stops at its next record, a blocking call
// returns, and the run leaves the file as it was before it exits with 130.
class TerminalProgress final : public AnalysisDisplay {
public:
    // show: whether to draw the progress line on the stream (only on a terminal).
    TerminalProgress(std::FILE* stream, bool show);
    ~TerminalProgress() override;

    // The command line words its own messages.
    void showMessage(RunMessage, const std::string&) override {}
    // Stops the run once the user interrupted the program.
    void pumpMessages(AnalysisRun& run) override;
    // Clears the progress line.
    void showScanFinished(AnalysisRun& run) override;
    // Whether the user interrupted the program while interrupts were held.
    bool interrupted() const;
    // Holds interrupts while there is something to undo.
    void holdInterrupts(bool hold);

private:
    using Clock = std::chrono::steady_clock;
    void draw(AnalysisRun& run);

    std::FILE* m_stream;
    bool m_show;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_lastDraw{};
    std::uint32_t m_pumps = 0;
};

} // namespace tallyvane

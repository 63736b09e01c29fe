// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/AnalysisRun.h"

#include <chrono>
#include <csignal>
#include <cstdio>

namespace tallyvane {

// Drives a scan from the command line: shows the entries found, the elapsed time, the share
// done and the time left where the run estimates them, and the folder being read on one line
// of a terminal, at most ten times a second, and stops the scan when
// the user interrupts the program (Ctrl+C).
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
    // Whether the user interrupted the program.
    bool interrupted() const;

private:
    using Clock = std::chrono::steady_clock;
    void draw(AnalysisRun& run);

    std::FILE* m_stream;
    bool m_show;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_lastDraw{};
    std::uint32_t m_pumps = 0;
    bool m_drawn = false;
};

} // namespace tallyvane

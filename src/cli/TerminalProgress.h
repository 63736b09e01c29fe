// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/AnalysisRun.h"

#include <csignal>
#include <cstdio>

namespace tallyvane {

// The command line's view of a run: one line on a terminal with the entries found, the elapsed
// time, the share done and the time left where the run estimates them, and the folder being
// read. While it exists it also ends the program with exit status 130 at once when the user
// interrupts it (Ctrl+C or SIGTERM), whatever it waits for. While a file is being replaced the
// interrupt is held instead: interrupted() tells, a blocking call returns, and the run leaves
// the file as it was before it exits with 130.
class TerminalProgress final {
public:
    // show: whether to draw the progress line on the stream (only on a terminal).
    TerminalProgress(std::FILE* stream, bool show);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // Draws progress over the line drawn before; seconds: since the run began.
    void draw(const RunProgress& progress, double seconds);
    // Clears the line, if one was drawn.
    void clear();
    // Whether the user interrupted the program while interrupts were held.
    bool interrupted() const;
    // Holds interrupts while there is something to undo.
    void holdInterrupts(bool hold);

private:
    std::FILE* m_stream;
    bool m_show;
};

} // namespace tallyvane

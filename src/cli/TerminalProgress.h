// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/AnalysisRun.h"

#include <csignal>
#include <cstdio>

namespace tallyvane {

// The command line's view of a run: one line on a terminal with the entries found, the elapsed
// time, the share done and the time left where the run estimates them, and the folder being
// read; and whether the user interrupted the program (Ctrl+C, SIGTERM) since it was made.
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
    bool interrupted() const;

private:
    std::FILE* m_stream;
    bool m_show;
    bool m_drawn = false;
};

} // namespace tallyvane

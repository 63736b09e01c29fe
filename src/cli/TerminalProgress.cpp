// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalProgress.h"

#include "cli/TerminalText.h"

#include <unistd.h>

#include <string>

namespace tallyvane {
namespace {

volatile std::sig_atomic_t interruptSignal = 0;
volatile std::sig_atomic_t interruptsHeld = 0;
volatile std::sig_atomic_t lineDrawn = 0;
int lineDescriptor = -1;

// Unless a file is being replaced, nothing needs undoing, and the program may be waiting for
// good (to open a FIFO, to read a silent pipe, to write to a full one): it ends here at once.
extern "C" void onInterrupt(int)
{
    interruptSignal = 1;
    if (interruptsHeld)
        return;
    if (lineDrawn && lineDescriptor >= 0) {
        const ssize_t ignored = ::write(lineDescriptor, "\r\033[K", 4);
        (void)ignored;
    }
    ::_exit(130);
}

void handle(int signal, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: while interrupts are held, a blocking call returns so the run sees the flag.
    action.sa_flags = 0;
    ::sigaction(signal, &action, nullptr);
}

constexpr std::size_t PathColumns = 60;

} // namespace

TerminalProgress::TerminalProgress(std::FILE* stream, bool show) : m_stream(stream), m_show(show)
{
    interruptSignal = 0;
    interruptsHeld = 0;
    lineDrawn = 0;
    lineDescriptor = ::fileno(stream);
    handle(SIGINT, onInterrupt);
    handle(SIGTERM, onInterrupt);
}

TerminalProgress::~TerminalProgress()
{
    handle(SIGINT, SIG_DFL);
    handle(SIGTERM, SIG_DFL);
}

void TerminalProgress::holdInterrupts(bool hold)
{
    interruptsHeld = hold ? 1 : 0;
}

void TerminalProgress::pumpMessages(AnalysisRun& run)
{
    if (interrupted() && run.StopFlag == 0)
        run.cancel();
    // Reading the clock for every record would cost more than the rest of this function.
    if (!m_show || (++m_pumps & 1023) != 0)
        return;
    const Clock::time_point now = Clock::now();
    if (now - m_lastDraw < std::chrono::milliseconds(100))
        return;
    m_lastDraw = now;
    draw(run);
}

bool TerminalProgress::interrupted() const
{
    return interruptSignal != 0;
}

void TerminalProgress::draw(AnalysisRun& run)
{
    const EntryId folder = run.currentFolder();
    std::string path = folder != NoEntry ? run.tree().EntryPath(folder) : std::string();
    if (path.size() > PathColumns) {
        // Keep the end of the path; never cut a UTF-8 sequence in two.
        std::size_t cut = path.size() - PathColumns + 3;
        while (cut < path.size() && (static_cast<unsigned char>(path[cut]) & 0xC0) == 0x80)
            ++cut;
        path = "..." + path.substr(cut);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
    std::string estimate;
    if (const std::optional<ScanProgress> progress = run.progress()) {
        estimate = std::to_string(progress->percent) + "%";
        if (progress->secondsLeft)
            estimate += ", " + std::to_string(*progress->secondsLeft) + " s left";
        estimate += "  ";
    }
    std::fprintf(m_stream, "\r\033[K%d entries  %.1f s  %s%s", run.ScanCount, seconds, estimate.c_str(),
                 TerminalText(path).c_str());
    std::fflush(m_stream);
    lineDrawn = 1;
}

void TerminalProgress::showScanFinished(AnalysisRun&)
{
    if (lineDrawn) {
        std::fputs("\r\033[K", m_stream);
        std::fflush(m_stream);
        lineDrawn = 0;
    }
}

} // namespace tallyvane

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

bool TerminalProgress::interrupted() const
{
    return interruptSignal != 0;
}

void TerminalProgress::draw(const RunProgress& progress, double seconds)
{
    if (!m_show)
        return;
    std::string path = progress.folder;
    if (path.size() > PathColumns) {
        // Keep the end of the path; never cut a UTF-8 sequence in two.
        std::size_t cut = path.size() - PathColumns + 3;
        while (cut < path.size() && (static_cast<unsigned char>(path[cut]) & 0xC0) == 0x80)
            ++cut;
        path = "..." + path.substr(cut);
    }
    std::string estimate;
    if (progress.estimate) {
        estimate = std::to_string(progress.estimate->percent) + "%";
        if (progress.estimate->secondsLeft)
            estimate += ", " + std::to_string(*progress.estimate->secondsLeft) + " s left";
        estimate += "  ";
    }
    std::fprintf(m_stream, "\r\033[K%u entries  %.1f s  %s%s", progress.entries, seconds, estimate.c_str(),
                 TerminalText(path).c_str());
    std::fflush(m_stream);
    lineDrawn = 1;
}

void TerminalProgress::clear()
{
    if (lineDrawn) {
        std::fputs("\r\033[K", m_stream);
        std::fflush(m_stream);
        lineDrawn = 0;
    }
}

} // namespace tallyvane

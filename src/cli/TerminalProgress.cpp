// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalProgress.h"

#include "cli/TerminalText.h"

#include <string>

namespace tallyvane {
namespace {

volatile std::sig_atomic_t interruptSignal = 0;

extern "C" void onInterrupt(int)
{
    interruptSignal = 1;
}

constexpr std::size_t PathColumns = 60;

} // namespace

TerminalProgress::TerminalProgress(std::FILE* stream, bool show) : m_stream(stream), m_show(show)
{
    interruptSignal = 0;
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
}

TerminalProgress::~TerminalProgress()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
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
    m_drawn = true;
}

void TerminalProgress::clear()
{
    if (m_drawn) {
        std::fputs("\r\033[K", m_stream);
        std::fflush(m_stream);
        m_drawn = false;
    }
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/AnalysisThread.h"

namespace tallyvane {

AnalysisThread::AnalysisThread(FileSystem& fileSystem, const ScanClock* clock)
    : m_fileSystem(fileSystem), m_clock(clock)
{
}

AnalysisThread::~AnalysisThread()
{
    if (m_run)
        m_run->stop();
    if (m_thread.joinable())
        m_thread.join();
}

bool AnalysisThread::start(RunRequest request, Finished finished)
{
    if (m_run)
        return false;
    reap();
    auto run = std::make_unique<AnalysisRun>(m_fileSystem, m_clock);
    AnalysisRun& running = *run;
    m_thread = std::thread([&running, request = std::move(request), finished = std::move(finished)] {
        finished(running.run(request));
    });
    m_run = std::move(run);
    return true;
}

void AnalysisThread::stop()
{
    if (m_run)
        m_run->stop();
}

RunProgress AnalysisThread::progress()
{
    return m_run ? m_run->progress() : RunProgress{};
}

void AnalysisThread::reap()
{
    if (m_thread.joinable())
        m_thread.join();
    m_run.reset();
}

} // namespace tallyvane

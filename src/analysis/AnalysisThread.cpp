// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/AnalysisThread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace tallyvane {

namespace {

// How much nicer than its owner a background run is. Threads a thread starts inherit its
// niceness: the read-ahead workers follow the run's.
constexpr int BackgroundNiceness = 10;
constexpr int NicestNiceness = 19;

void becomeNicer()
{
    const auto self = static_cast<id_t>(::gettid());
    // The new thread starts with its owner's niceness; failing to change it changes nothing else.
    const int inherited = ::getpriority(PRIO_PROCESS, self);
    ::setpriority(PRIO_PROCESS, self, std::min(inherited + BackgroundNiceness, NicestNiceness));
}

} // namespace

AnalysisThread::AnalysisThread(FileSystem& fileSystem, Priority priority, const ScanClock* clock)
    : m_fileSystem(fileSystem), m_priority(priority), m_clock(clock)
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
    m_thread = std::thread([&running, background = m_priority == Priority::Background, request = std::move(request),
                            finished = std::move(finished)] {
        if (background)
            becomeNicer();
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

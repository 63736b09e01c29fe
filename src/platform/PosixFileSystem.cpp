// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PosixFileSystem.h"

#include "platform/DescriptorBudget.h"
#include "platform/FolderVolumeQuery.h"
#include "platform/ReadAheadSession.h"

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <thread>

namespace tallyvane {

PosixFileSystem::PosixFileSystem(FolderReading reading) : m_reading(reading)
{
    if (m_reading.threads == 0)
        m_reading.threads = automaticThreads();
}

unsigned PosixFileSystem::automaticThreads()
{
    // Warm, two threads beat one by a third on two cores and more add only switching; cold, the
    // disk serves many requests at once. Four is the compromise measured on two cores.
    return std::max(4u, std::thread::hardware_concurrency());
}

std::unique_ptr<FolderListing> PosixFileSystem::openFolder(const std::string& path, const ListingOptions& options)
{
    // The limit is read as each scan starts: the budget must fit what the process may open now.
    FolderReading reading = m_reading;
    reading.descriptorBudget = descriptorsForScan(m_reading.descriptorBudget);
    auto session = std::make_shared<ReadAheadSession>(reading, reading.threads, options);
    return session->start(path);
}

FolderVolume PosixFileSystem::volumeOf(const std::string& path)
{
    return queryFolderVolume(path);
}

bool PosixFileSystem::isFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace tallyvane

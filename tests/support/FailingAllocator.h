// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileSystem.h"

#include <cstddef>
#include <memory>
#include <string>

namespace tallyvane::test {

// A test program that links FailingAllocator.cpp has its operator new replaced: once armed, the
// nth allocation on the chosen threads throws std::bad_alloc, once; everything else is malloc.
enum class FailingThreads {
    Arming, // the thread that armed the failure
    Others, // any thread but that one: the scan's workers
};
void armAllocationFailure(std::size_t nth, FailingThreads threads);
void disarmAllocationFailure();
// True when the armed failure was thrown since it was armed.
bool allocationFailureHit();

// Forwards to another file system and arms a failure while a scan opens its first listing, so
// that the failure lands in the listing's set-up (the threads it starts, for one) or, for a
// large nth, in the scan itself.
class FailingOpenFileSystem final : public FileSystem {
public:
    FailingOpenFileSystem(FileSystem& real, std::size_t nth, bool disarmAfterOpen)
        : m_real(real), m_nth(nth), m_disarmAfterOpen(disarmAfterOpen)
    {
    }

    using FileSystem::openFolder;
    std::unique_ptr<FolderListing> openFolder(const std::string& path, const ListingOptions& options) override;
    FolderVolume volumeOf(const std::string& path) override { return m_real.volumeOf(path); }
    bool isFolder(const std::string& path) override { return m_real.isFolder(path); }
    bool exists(const std::string& path) override { return m_real.exists(path); }

private:
    FileSystem& m_real;
    std::size_t m_nth;
    bool m_disarmAfterOpen;
};

} // namespace tallyvane::test

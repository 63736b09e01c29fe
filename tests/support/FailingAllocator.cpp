// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FailingAllocator.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

namespace tallyvane::test {
namespace {

std::atomic<bool> armed{false};
std::atomic<bool> hit{false};
std::atomic<long> countdown{0};
std::atomic<bool> othersFail{false};
std::thread::id armingThread;

void* allocate(std::size_t size)
{
    if (armed.load(std::memory_order_acquire)
        && (std::this_thread::get_id() == armingThread) != othersFail.load(std::memory_order_relaxed)
        && countdown.fetch_sub(1) == 1) {
        armed = false;
        hit = true;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

} // namespace

void armAllocationFailure(std::size_t nth, FailingThreads threads)
{
    armingThread = std::this_thread::get_id();
    othersFail = threads == FailingThreads::Others;
    countdown = static_cast<long>(nth);
    hit = false;
    armed.store(true, std::memory_order_release);
}

void disarmAllocationFailure()
{
    armed = false;
}

bool allocationFailureHit()
{
    return hit;
}

std::unique_ptr<FolderListing> FailingOpenFileSystem::openFolder(const std::string& path, const ListingOptions& options)
{
    armAllocationFailure(m_nth, FailingThreads::Arming);
    std::unique_ptr<FolderListing> listing;
    try {
        listing = m_real.openFolder(path, options);
    } catch (...) {
        disarmAllocationFailure();
        throw;
    }
    if (m_disarmAfterOpen)
        disarmAllocationFailure();
    return listing;
}

} // namespace tallyvane::test

// The program's allocation functions. The aligned forms keep the library's, which need no hook.
void* operator new(std::size_t size)
{
    return tallyvane::test::allocate(size);
}

void* operator new[](std::size_t size)
{
    return tallyvane::test::allocate(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return tallyvane::test::allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return tallyvane::test::allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ReadAheadSession.h"

#include "platform/EmptyListing.h"
#include "platform/FolderFileSystem.h"
#include "platform/ReadAheadListing.h"
#include "platform/ReadAheadWatcher.h"

#include <fcntl.h>
#include <malloc.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <optional>
#include <system_error>
#include <utility>

namespace tallyvane {
namespace {

bool outOfDescriptors(int error)
{
    return error == EMFILE || error == ENFILE;
}

} // namespace

ReadAheadSession::ReadAheadSession(const FolderReading& reading, unsigned threads, const ListingOptions& options)
    : m_options(options), m_watcher(reading.watcher), m_descriptors(reading.descriptorBudget),
      m_records(reading.recordBudget), m_scanBuffer(std::make_unique_for_overwrite<char[]>(ListingBufferSize))
{
    m_workers.reserve(threads > 1 ? threads : 0);
    for (unsigned i = 0; threads > 1 && i < threads; ++i) {
        // Short of memory for another thread's stack or state, the scan makes do with the
        // workers it has; with none, it reads alone.
        try {
            m_workers.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
            break;
        } catch (const std::bad_alloc&) {
            break;
        }
    }
}

ReadAheadSession::~ReadAheadSession()
{
    {
        const Lock lock(m_mutex);
        m_stop = true;
    }
    m_workAvailable.wakeAll();
    for (auto& worker : m_workers)
        worker.join();
#ifdef __GLIBC__
    // The workers' listings were freed in their own arenas, where the memory would stay with
    // the process while the tree it was read into is sorted and shown.
    if (!m_workers.empty())
        ::malloc_trim(0);
#endif
}

std::unique_ptr<FolderListing> ReadAheadSession::start(const std::string& path)
{
    // The analysed folder itself may be reached through a link: the user named it.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const int openError = fd.valid() ? 0 : errno;
    const auto id = fd.valid() ? identityOf(fd.get()) : std::nullopt;
    if (!id)
        return std::make_unique<EmptyListing>(openError);
    auto top = ReadAheadFolder::make(nullptr, path, *id);
    top->fillsBuffer = fileSystemOfFolder(fd.get(), id->device).fillsListingBuffer;
    top->fd = std::move(fd);
    top->stage = FolderStage::Listing;
    ReadAheadFolder* const folder = top.get();
    const Lock lock(m_mutex);
    // Workers look at the levels: they hold the folder only once nothing more can fail.
    m_levels.reserve(1);
    m_levelIds.insert(*id);
    std::unique_ptr<FolderListing> listing;
    try {
        listing = std::make_unique<ReadAheadListing>(shared_from_this(), std::move(top));
    } catch (...) {
        m_levelIds.erase(*id);
        throw;
    }
    m_descriptors.opened();
    m_levels.push_back(folder);
    m_current = folder;
    return listing;
}

void ReadAheadSession::publish(ReadAheadFolder& folder, ListingBatch& batch, bool queueChildren)
{
    // The room first: a failure leaves the folder and the counts as they were.
    folder.blocks.reserve(batch.block.count > 0 ? 1 : 0);
    folder.children.reserve(batch.children.size());
    if (batch.block.count > 0) {
        m_records.listed(batch.block.count);
        folder.blocks.push(std::move(batch.block));
    }
    // Children go to the front of the work, in their order and after the ones queued before
    // them: the scan needs them before anything listed earlier.
    ReadAheadFolder* position =
        folder.lastQueuedChild && m_pending.holds(folder.lastQueuedChild) ? folder.lastQueuedChild : nullptr;
    for (auto& child : batch.children) {
        if (queueChildren) {
            m_pending.insertAfter(position, child.get());
            position = child.get();
            folder.lastQueuedChild = position;
        }
        folder.children.push(std::move(child));
        ++folder.pendingChildren;
    }
    if (batch.end)
        folder.stage = FolderStage::Listed;
    wakeScan();
    if (queueChildren && !batch.children.empty())
        wakeWorker();
}

void ReadAheadSession::openPending(ReadAheadFolder& folder, int parentFd, bool bounded, Lock& lock)
{
    ReadAheadFolder& parent = *folder.parent;
    folder.stage = FolderStage::Opening;
    folder.openError = parentFd >= 0 ? 0 : -parentFd;
    m_descriptors.opened();
    --parent.pendingChildren;
    ++parent.openingChildren;
    lock.unlock();
    bool opened = false;
    std::exception_ptr failure;
    try {
        opened = parentFd >= 0 && openChildFolder(folder, parentFd, bounded, m_options);
    } catch (...) {
        failure = std::current_exception();
    }
    lock.lock();
    --parent.openingChildren;
    folder.stage = opened ? FolderStage::Listing : FolderStage::Listed;
    folder.unusable = !opened;
    if (!opened)
        m_descriptors.closed();
    closeIfDone(parent);
    if (failure)
        std::rethrow_exception(failure);
}

void ReadAheadSession::wakeWorker()
{
    if (!m_workers.empty() && pickWork())
        m_workAvailable.wakeOne();
}

void ReadAheadSession::wakeScan()
{
    if (m_scanWaits)
        m_progress.wakeOne();
}

void ReadAheadSession::fail(std::exception_ptr failure)
{
    if (!m_failure)
        m_failure = std::move(failure);
    m_stop = true;
    m_workAvailable.wakeAll();
    wakeScan();
}

// Inline, like closeIfDone and descriptorOf: called for every folder the scan enters or leaves,
// where a call costs more than their work.
inline void ReadAheadSession::throwIfFailed() const
{
    if (m_failure)
        std::rethrow_exception(m_failure);
}

template <typename Predicate>
void ReadAheadSession::waitForWorkers(Lock& lock, Predicate done)
{
    while (!done()) {
        // Rather than sleep while the workers are busy, the scan lends a hand: on few cores
        // it would otherwise leave its core to threads that wake it for every folder.
        ReadAheadFolder* folder = m_stop ? nullptr : pickWork();
        if (folder) {
            serve(*folder, lock, m_scanBuffer.get(), true);
            continue;
        }
        m_scanWaits = true;
        m_progress.wait(lock);
        m_scanWaits = false;
    }
}

ReadAheadFolder* ReadAheadSession::pickWork()
{
    // The folder the scan waits for goes first and ignores the record budget: the scan drains it.
    if (m_current && m_partial.holds(m_current))
        return m_current;
    if (m_records.spent())
        return nullptr;
    if (m_pending.first() && m_descriptors.workersMayOpen())
        return m_pending.first();
    return m_partial.first();
}

void ReadAheadSession::work()
{
    // Whatever fails here (memory, in practice) gives back what the worker holds, so that
    // nobody waits for it, and ends the worker: the scan fails with it.
    std::unique_ptr<char[]> buffer;
    try {
        buffer = std::make_unique_for_overwrite<char[]>(ListingBufferSize);
    } catch (...) {
        {
            const Lock lock(m_mutex);
            fail(std::current_exception());
        }
        if (m_watcher)
            m_watcher->workerEnds();
        return;
    }
    Lock lock(m_mutex);
    while (!m_stop) {
        if (ReadAheadFolder* folder = pickWork())
            serve(*folder, lock, buffer.get(), false);
        else
            m_workAvailable.wait(lock);
    }
    lock.unlock();
    if (m_watcher)
        m_watcher->workerEnds();
}

void ReadAheadSession::serve(ReadAheadFolder& folder, Lock& lock, char* buffer, bool oneBatch)
{
    folder.list->remove(&folder);
    folder.owner = FolderOwner::Worker;
    wakeWorker(); // more work: another worker takes it
    if (folder.stage == FolderStage::Pending) {
        try {
            const FileDescriptor& parentFd = folder.parent->fd;
            openPending(folder, parentFd.valid() ? parentFd.get() : -EBADF, true, lock);
        } catch (...) {
            fail(std::current_exception());
        }
    }
    const auto goOn = [&] {
        return folder.stage == FolderStage::Listing && !m_stop && !folder.abandoned && !folder.finishWanted;
    };
    for (bool first = true; goOn(); first = false) {
        if ((oneBatch && !first) || (m_records.spent() && &folder != m_current)) {
            m_partial.pushBack(&folder);
            break;
        }
        lock.unlock();
        try {
            ListingBatch batch = readListingBatch(folder, buffer, m_stop);
            if (m_watcher)
                m_watcher->batchRead(folder);
            lock.lock();
            // Abandoned after readBatch last looked: the scan has already gathered the
            // folders below it to free them once no worker is in them, so the ones this
            // batch found must not be queued for workers.
            if (batch.aborted || folder.abandoned)
                break;
            publish(folder, batch, !folder.finishWanted);
        } catch (...) {
            // publish() changes nothing when it fails, and the batch is freed here.
            if (!lock.owns_lock())
                lock.lock();
            fail(std::current_exception());
        }
    }
    folder.owner = FolderOwner::None;
    if (!folder.abandoned)
        closeIfDone(folder);
    wakeScan();
}

bool ReadAheadSession::nextBlock(ReadAheadFolder& folder, RecordBlock& block)
{
    RecordBlock finished = std::move(block);
    block = {};
    Lock lock(m_mutex);
    if (finished.count > 0) {
        if (m_records.taken(finished.count))
            wakeWorker();
    }
    for (;;) {
        throwIfFailed();
        if (!folder.blocks.empty()) {
            block = folder.blocks.pop();
            return true;
        }
        if (folder.stage != FolderStage::Listing)
            return false;
        if (folder.owner == FolderOwner::Worker) {
            waitForWorkers(lock, [&] { return !folder.blocks.empty() || folder.owner != FolderOwner::Worker; });
            continue;
        }
        // Nobody is reading it: the scan reads a batch itself.
        m_partial.remove(&folder);
        folder.owner = FolderOwner::Scan;
        lock.unlock();
        ListingBatch batch = readListingBatch(folder, m_scanBuffer.get(), m_stop);
        lock.lock();
        publish(folder, batch, !folder.finishWanted);
        if (folder.stage != FolderStage::Listing) {
            folder.owner = FolderOwner::None;
            closeIfDone(folder);
        }
    }
}

inline void ReadAheadSession::closeIfDone(ReadAheadFolder& folder)
{
    // While the scan stays above this depth, the budget leaves every folder it is in open.
    if (folder.fd.valid() && folder.depth < m_descriptors.scanReserve() && folder.stage == FolderStage::Listed
        && folder.owner == FolderOwner::None && folder.pendingChildren == 0 && folder.openingChildren == 0) {
        folder.fd.reset();
        m_descriptors.closed();
    }
}

void ReadAheadSession::readToEnd(ReadAheadFolder& folder, Lock& lock)
{
    // Its descriptor is closed next: no worker may start opening a child with it meanwhile, and
    // the records read from now on queue no children.
    folder.finishWanted = true;
    m_partial.remove(&folder);
    folder.children.forEach([this](std::unique_ptr<ReadAheadFolder>& child) { m_pending.remove(child.get()); });
    waitForWorkers(lock, [&] { return folder.owner != FolderOwner::Worker && folder.openingChildren == 0; });
    folder.owner = FolderOwner::Scan;
    while (folder.stage == FolderStage::Listing) {
        lock.unlock();
        ListingBatch batch = readListingBatch(folder, m_scanBuffer.get(), m_stop);
        lock.lock();
        publish(folder, batch, false);
    }
    folder.owner = FolderOwner::None;
}

void ReadAheadSession::keepWithinBudget(Lock& lock)
{
    // The two innermost folders keep their descriptors: the one being read and its parent.
    while (m_descriptors.exceeded() && m_detachedLevels + 2 < m_levels.size()) {
        ReadAheadFolder& folder = *m_levels[m_detachedLevels];
        if (folder.fd.valid()) {
            readToEnd(folder, lock);
            folder.fd.reset();
            m_descriptors.closed();
        }
        ++m_detachedLevels;
    }
}

inline int ReadAheadSession::descriptorOf(ReadAheadFolder& folder)
{
    if (folder.fd.valid())
        return folder.fd.get();
    FileDescriptor fd;
    if (folder.up.valid()) {
        fd = climbFolders(folder.up.get(), folder.upLevels);
        folder.up.reset();
        m_descriptors.closed();
    }
    if (!fd.valid() || identityOf(fd.get()) != folder.id) {
        fd = reopenByNames(folder);
        if (!fd.valid())
            return -(errno ? errno : ENOENT); // out of descriptors, or moved or replaced meanwhile
    }
    folder.fd = std::move(fd);
    m_descriptors.opened();
    // Only the innermost folder opens folders, so it is the one that got its descriptor back.
    m_detachedLevels = std::min(m_detachedLevels, m_levels.size() - 1);
    return folder.fd.get();
}

void ReadAheadSession::openByScan(ReadAheadFolder& child, ReadAheadFolder& parent, Lock& lock)
{
    child.owner = FolderOwner::Scan;
    for (bool retry = false;; retry = true) {
        if (child.stage != FolderStage::Pending) {
            child.stage = FolderStage::Pending;
            child.unusable = false;
            ++parent.pendingChildren;
        }
        openPending(child, descriptorOf(parent), false, lock);
        if (retry || !child.unusable || !outOfDescriptors(child.openError))
            break;
        // The limit left less room than the budget counted on, or others held descriptors for
        // a moment: the scan makes do with fewer and gives up those of its outermost folders.
        m_descriptors.lowerLimit();
        keepWithinBudget(lock);
    }
    child.owner = FolderOwner::None;
}

std::unique_ptr<FolderListing> ReadAheadSession::descend(ReadAheadFolder& parent, std::size_t skipped)
{
    // Declared before the lock: should keeping the budget fail below, the listing leaves with
    // the mutex free.
    std::unique_ptr<FolderListing> entered;
    Lock lock(m_mutex);
    throwIfFailed();
    for (; skipped > 0 && !parent.children.empty(); --skipped) {
        std::unique_ptr<ReadAheadFolder> child = parent.children.pop();
        if (child->stage == FolderStage::Pending)
            --parent.pendingChildren;
        abandon(*child, lock);
        freeFolders(std::move(child));
    }
    closeIfDone(parent);
    if (parent.children.empty())
        return std::make_unique<EmptyListing>();
    std::unique_ptr<ReadAheadFolder> child = parent.children.pop();
    const bool openedByWorker = child->stage != FolderStage::Pending;
    if (!openedByWorker) {
        m_pending.remove(child.get());
        openByScan(*child, parent, lock);
    }
    waitForWorkers(lock, [&] { return child->stage != FolderStage::Opening; });
    // A worker that failed to open it (out of descriptors, most likely) opened nothing below
    // it: the scan tries itself before it calls the folder unreadable.
    if (openedByWorker && child->unusable && child->openError != 0)
        openByScan(*child, parent, lock);

    // The child is entered, or given up with whatever was read ahead below it.
    ReadAheadFolder* const folder = child.get();
    std::exception_ptr failure = m_failure;
    if (!failure && !folder->unusable && !m_levelIds.contains(folder->id)) {
        try {
            m_levels.reserve(m_levels.size() + 1);
            m_levelIds.insert(folder->id);
            try {
                entered = std::make_unique<ReadAheadListing>(shared_from_this(), std::move(child));
            } catch (...) {
                m_levelIds.erase(folder->id);
                throw;
            }
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (!entered) {
        const int openError = folder->unusable ? folder->openError : 0;
        abandon(*folder, lock);
        lock.unlock();
        freeFolders(std::move(child));
        if (failure)
            std::rethrow_exception(failure);
        return std::make_unique<EmptyListing>(openError);
    }
    // While the scan is below it, workers may go on reading the parent.
    if (parent.owner == FolderOwner::Scan) {
        parent.owner = FolderOwner::None;
        if (parent.stage == FolderStage::Listing && !parent.finishWanted)
            m_partial.insertAfter(nullptr, &parent);
    }
    m_levels.push_back(folder);
    m_current = folder;
    keepWithinBudget(lock);
    wakeWorker();
    return entered;
}

ReadAheadFolder* ReadAheadSession::withdraw(ReadAheadFolder& top, Lock& lock)
{
    ReadAheadFolder* const folders = sweep(top);
    for (ReadAheadFolder* folder = folders; folder; folder = folder->swept) {
        folder->abandoned = true;
        if (folder->list)
            folder->list->remove(folder);
    }
    waitForWorkers(lock, [&] {
        for (const ReadAheadFolder* folder = folders; folder; folder = folder->swept) {
            if (folder->owner == FolderOwner::Worker)
                return false;
        }
        return true;
    });
    return folders;
}

void ReadAheadSession::release(ReadAheadFolder* withdrawn)
{
    for (ReadAheadFolder* folder = withdrawn; folder; folder = folder->swept) {
        while (!folder->blocks.empty())
            m_records.dropped(folder->blocks.pop().count);
        m_descriptors.closed(folder->fd.valid() + folder->up.valid());
        folder->fd.reset();
        folder->up.reset();
    }
}

void ReadAheadSession::abandon(ReadAheadFolder& top, Lock& lock)
{
    release(withdraw(top, lock));
}

void ReadAheadSession::leave(std::unique_ptr<ReadAheadFolder> folder, std::size_t undelivered)
{
    Lock lock(m_mutex);
    m_records.dropped(undelivered);
    m_levels.pop_back();
    m_levelIds.erase(folder->id);
    m_detachedLevels = std::min(m_detachedLevels, m_levels.size());
    ReadAheadFolder* parent = m_levels.empty() ? nullptr : m_levels.back();
    m_current = parent;
    // Normally nothing is left to wait for; after a stop, a worker may still be reading the
    // folder with the descriptor handed up below, or be busy in the read-ahead under it.
    ReadAheadFolder* const folders = withdraw(*folder, lock);
    // A parent that gave up its descriptor may need it again: hand it the way back up.
    if (parent && !parent->fd.valid() && (folder->fd.valid() || folder->up.valid())) {
        if (parent->up.valid())
            m_descriptors.closed();
        if (folder->fd.valid()) {
            parent->up = std::move(folder->fd);
            parent->upLevels = 1;
        } else {
            parent->up = std::move(folder->up);
            parent->upLevels = folder->upLevels + 1;
        }
    }
    release(folders);
    wakeWorker();
    lock.unlock();
    freeFolders(std::move(folder));
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DescriptorBudget.h"
#include "platform/FileId.h"
#include "platform/FileSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixListing.h"
#include "platform/ReadAheadFolder.h"
#include "platform/RecordBudget.h"
#include "platform/SpinningMutex.h"
#include "platform/WorkList.h"

#include <atomic>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

namespace tallyvane {

// What the listings of one scan share: the folders read ahead, the workers, the open folders
// of the scan in depth order and the budgets. Workers take folders from two work lists, the
// ones not opened yet nearest the scan first, and list them until the record budget is spent;
// the folder the scan waits for goes before everything, and the scan reads a batch itself
// rather than sleep when nobody reads it.
class ReadAheadSession : public std::enable_shared_from_this<ReadAheadSession> {
public:
    ReadAheadSession(const FolderReading& reading, unsigned threads, const ListingOptions& options);
    ~ReadAheadSession();

    std::unique_ptr<FolderListing> start(const std::string& path);

    // The scan's side, called by its listings.
    bool nextBlock(ReadAheadFolder& folder, RecordBlock& block);
    // Opens the next folder of parent's records after skipping `skipped` of them.
    std::unique_ptr<FolderListing> descend(ReadAheadFolder& parent, std::size_t skipped);
    // Ends the scan's stay in folder; `undelivered` records of the block it was reading go
    // out of the read-ahead with it.
    void leave(std::unique_ptr<ReadAheadFolder> folder, std::size_t undelivered);

private:
    using Lock = std::unique_lock<SpinningMutex>;

    void work();
    ReadAheadFolder* pickWork();
    // Opens and lists a folder taken from the work lists until it is read to the end, the
    // record budget is spent (one batch only when oneBatch), or the scan no longer wants it.
    void serve(ReadAheadFolder& folder, Lock& lock, char* buffer, bool oneBatch);
    void publish(ReadAheadFolder& folder, ListingBatch& batch, bool queueChildren);
    // Opens a folder that waits for it with its parent's descriptor (-1: it cannot be), the
    // lock let go meanwhile, and keeps the counts. What opening threw (memory, in practice) is
    // thrown on once the folder is left unusable.
    void openPending(ReadAheadFolder& folder, int parentFd, bool bounded, Lock& lock);
    void readToEnd(ReadAheadFolder& folder, Lock& lock);
    // The folder's descriptor, opened again if it was given up; -errno when it cannot be.
    int descriptorOf(ReadAheadFolder& folder);
    // Opens a child of the scan's innermost folder, once more with fewer descriptors when the
    // first try (the scan's or a worker's) found none left.
    void openByScan(ReadAheadFolder& child, ReadAheadFolder& parent, Lock& lock);
    // Closes the descriptor of a folder that is read to the end and has no child left to open,
    // so that the budget bounds the folders still being read rather than the ones read ahead.
    // Only near the top: deeper down, the scan may have given up the descriptors of the
    // folders it is in, and the way back up to them goes through the descriptors below.
    void closeIfDone(ReadAheadFolder& folder);
    void keepWithinBudget(Lock& lock);
    // Takes top and the folders read ahead below it off the work lists and waits until no
    // worker is in any of them; from then on no worker reads, opens or queues anything there.
    // Returns them chained through `swept`.
    ReadAheadFolder* withdraw(ReadAheadFolder& top, Lock& lock);
    // Drops the unread blocks and the descriptors of withdrawn folders.
    void release(ReadAheadFolder* withdrawn);
    void abandon(ReadAheadFolder& top, Lock& lock);
    // With the mutex held: wakes a worker when there is work for it, and the scan when it waits.
    void wakeWorker();
    void wakeScan();
    template <typename Predicate>
    void waitForWorkers(Lock& lock, Predicate done);
    // A worker that failed (memory ran out) records the first failure and stops the
    // read-ahead; the scan meets the failure at its next step, as if it had failed itself.
    void fail(std::exception_ptr failure);
    void throwIfFailed() const;

    const ListingOptions m_options;
    ReadAheadWatcher* const m_watcher;

    SpinningMutex m_mutex;
    SpinningCondition m_workAvailable; // workers wait here
    SpinningCondition m_progress;      // the scan waits here
    std::atomic<bool> m_stop{false};
    std::exception_ptr m_failure;
    DescriptorBudget m_descriptors;
    RecordBudget m_records;
    WorkList m_pending;                     // not opened yet, below a folder that holds a descriptor
    WorkList m_partial;                     // opened, not read to the end, nobody reading
    std::vector<ReadAheadFolder*> m_levels; // the scan's open folders, outermost first
    std::size_t m_detachedLevels = 0;
    std::unordered_set<FileId, FileIdHash> m_levelIds;
    ReadAheadFolder* m_current = nullptr; // the innermost open folder of the scan
    bool m_scanWaits = false;
    std::unique_ptr<char[]> m_scanBuffer;
    std::vector<std::thread> m_workers;
};

} // namespace tallyvane

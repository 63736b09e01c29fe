// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/AnalysisRun.h"

#include "platform/PathSeparator.h"

#include <new>

namespace tallyvane {

AnalysisRun::AnalysisRun(FileSystem& fileSystem, const ScanClock* clock)
    : m_fileSystem(fileSystem), m_clock(clock ? clock : &m_steadyClock)
{
}

RunResult AnalysisRun::run(const RunRequest& request)
{
    RunResult result;
    m_request = &request;
    m_folder = NoEntry;
    m_entries = 0;
    m_sinceRoomCheck = RoomCheckInterval; // the first record looks
    try {
        result.tree = std::make_unique<EntryTree>();
        m_tree = result.tree.get();
        if (request.source == RunRequest::Source::Import)
            import(request, result);
        else
            scan(request, result);
    } catch (const std::bad_alloc&) {
        // What was found is dropped; the caller goes on.
        result.outcome = ScanOutcome::Failed;
        result.error = "out of memory";
        result.importedScan.reset();
    } catch (const std::exception& error) {
        // A tree too large to address, a thread that could not start: the same for the caller.
        result.outcome = ScanOutcome::Failed;
        result.error = error.what();
        result.importedScan.reset();
    }
    if (result.outcome == ScanOutcome::Failed) {
        // Never a partial tree shown as if it were the scan. An empty tree needs no memory.
        result.tree = std::make_unique<EntryTree>();
    }
    m_tree = nullptr;
    m_request = nullptr;
    m_estimate.reset();
    return result;
}

void AnalysisRun::scan(const RunRequest& request, RunResult& result)
{
    if (request.path.empty() || !m_fileSystem.isFolder(request.path)) {
        result.outcome = ScanOutcome::NotAFolder;
        return;
    }
    std::string scanPath = request.path;
    if (scanPath.back() != PathSeparator)
        scanPath += PathSeparator;
    const FolderVolume volume = m_fileSystem.volumeOf(request.path);
    if (volume.fileSystemRoot && volume.usedInodes > 0)
        m_estimate.emplace(volume.usedInodes);
    m_start = m_clock->seconds();
    FolderScanner scanner(*result.tree, m_fileSystem, *this, request.options);
    scanner.ScanFolder(scanPath, NoEntry);
    result.unreadable = scanner.unreadableFolders();
    SortEntries(*result.tree, request.sortKey, request.sortDirection, request.sortDepthLimit);
    if (stopRequested())
        result.outcome = ScanOutcome::Cancelled;
}

void AnalysisRun::import(const RunRequest& request, RunResult& result)
{
    m_start = m_clock->seconds();
    try {
        std::shared_ptr<ImportInput> input = request.input;
        if (!input)
            input = std::make_shared<FileImportInput>(request.path);
        result.importedScan = ImportNcdu(*input, *result.tree, *this);
        SortEntries(*result.tree, request.sortKey, request.sortDirection, request.sortDepthLimit);
        if (stopRequested())
            result.outcome = ScanOutcome::Cancelled;
    } catch (const ImportError& error) {
        result.outcome = ScanOutcome::Failed;
        result.error = error.what();
        result.importedScan.reset();
    }
}

RunProgress AnalysisRun::progress()
{
    m_snapshotWanted.store(true, std::memory_order_relaxed);
    const std::lock_guard lock(m_snapshotLock);
    return m_snapshot;
}

void AnalysisRun::recordFetched()
{
    if (m_request->roomLeft && ++m_sinceRoomCheck >= RoomCheckInterval) {
        m_sinceRoomCheck = 0;
        if (!m_request->roomLeft())
            throw std::bad_alloc();
    }
    // One relaxed load per record while nobody asks.
    if (m_snapshotWanted.load(std::memory_order_relaxed) && m_snapshotWanted.exchange(false))
        takeSnapshot();
}

void AnalysisRun::takeSnapshot()
{
    RunProgress snapshot;
    snapshot.entries = m_entries;
    if (m_folder != NoEntry)
        snapshot.folder = m_tree->EntryPath(m_folder);
    if (m_estimate)
        snapshot.estimate = m_estimate->update(m_clock->seconds() - m_start, m_entries);
    const std::lock_guard lock(m_snapshotLock);
    m_snapshot = std::move(snapshot);
}

void AnalysisRun::folderEntered(const EntryTree&, EntryId folder)
{
    m_folder = folder;
}

void AnalysisRun::entryCounted(std::uint32_t scanCount)
{
    m_entries = scanCount;
}

void AnalysisRun::scanFinished()
{
    // The last word on the count and the folder; the estimate has nothing more to tell.
    m_estimate.reset();
    takeSnapshot();
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntrySort.h"
#include "analysis/EntryTree.h"
#include "analysis/FolderScan.h"
#include "analysis/NcduImport.h"
#include "analysis/ScanEstimate.h"
#include "analysis/ScanOptions.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace tallyvane {

// How a run ended.
enum class ScanOutcome {
    Complete,
    Cancelled,  // stopped on request: the tree holds what was found, its folder sizes add up
    Failed,     // the tree is empty and RunResult::error says why
    NotAFolder, // the path names no folder: nothing was scanned
};

// What a run is asked to do: scan a folder or read an ncdu export in its place.
struct RunRequest {
    enum class Source { Folder, Import };
    Source source = Source::Folder;
    std::string path; // bytes; for an import, "-" is standard input
    // For an import, the export already opened; none: the run opens path.
    std::shared_ptr<ImportInput> input;
    ScanOptions options;
    // The order every folder's children take before the tree is handed over. With depthLimit 0
    // or more, entries further below the top than that keep the order they were found in.
    SortKey sortKey = SortKey::Size;
    SortDirection sortDirection = SortDirection::Descending;
    int sortDepthLimit = -1;
    // Asked now and then while the tree grows (from the run's thread): false when too little
    // memory is left to go on, which fails the run as if an allocation had. None: never asked.
    std::function<bool()> roomLeft;
};

struct RunResult {
    ScanOutcome outcome = ScanOutcome::Complete;
    std::unique_ptr<EntryTree> tree;          // never null
    std::optional<ImportedScan> importedScan; // set for an import that was read
    std::string error;            // why it failed: for an import, with the byte offset where reading stopped
    UnreadableFolders unreadable; // folders a scan found but could not open
};

// What a run has done so far, as of the last record that took a snapshot.
struct RunProgress {
    std::uint32_t entries = 0; // entries added, the root entry not included
    std::string folder;        // the folder being read (bytes); empty before the first
    // How far a scan of a file system's top has come (see ScanEstimate); none for any other
    // folder and in the scan's first seconds.
    std::optional<ScanProgress> estimate;
};

// One analysis: scans a folder (or reads an ncdu export) into a tree of its own and sorts it.
// run() works on the calling thread from start to end; stop() and progress() may be called from
// any other thread meanwhile. A stop leaves a partial tree whose folder sizes add up: the caller
// can safely show it.
//
// Progress costs the scan nothing until it is asked for: a call to progress() returns the last
// snapshot and asks for a new one, which the scan takes at its next record.
class AnalysisRun final : private ScanHost {
public:
    explicit AnalysisRun(FileSystem& fileSystem, const ScanClock* clock = nullptr);

    RunResult run(const RunRequest& request);
    void stop() noexcept { m_stop.store(true, std::memory_order_relaxed); }
    bool stopRequested() const override { return m_stop.load(std::memory_order_relaxed); }
    RunProgress progress();

private:
    // Records between two looks at the room left: often enough to keep some for the window
    // whatever the records' size, seldom enough to cost nothing.
    static constexpr std::uint32_t RoomCheckInterval = 4096;

    void scan(const RunRequest& request, RunResult& result);
    void import(const RunRequest& request, RunResult& result);
    void recordFetched() override;
    void folderEntered(const EntryTree& tree, EntryId folder) override;
    void entryCounted(std::uint32_t scanCount) override;
    void scanFinished() override;
    void takeSnapshot();

    FileSystem& m_fileSystem;
    SteadyScanClock m_steadyClock;
    const ScanClock* m_clock;
    std::atomic_bool m_stop{false};
    std::atomic_bool m_snapshotWanted{false};

    // The run's own thread alone touches these while it runs.
    const RunRequest* m_request = nullptr;
    const EntryTree* m_tree = nullptr;
    EntryId m_folder = NoEntry;
    std::uint32_t m_entries = 0;
    std::uint32_t m_sinceRoomCheck = 0;
    std::optional<ScanEstimate> m_estimate; // while a scan of a file system's top runs
    double m_start = 0;

    std::mutex m_snapshotLock;
    RunProgress m_snapshot;
};

} // namespace tallyvane

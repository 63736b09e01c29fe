// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/AnalysisRun.h"

#include "platform/PathSeparator.h"

#include <new>

#include <algorithm>

namespace tallyvane {

AnalysisRun::AnalysisRun(EntryTree& tree, FileSystem& fileSystem, AnalysisDisplay& display)
    : m_fileSystem(fileSystem), m_display(display), m_tree(tree)
{
}

bool AnalysisRun::refuseWhileBusy()
{
    if (!m_busy)
        return false;
    m_display.showMessage(RunMessage::Busy, {});
    return true;
}

void AnalysisRun::setSortOrder(SortKey key, SortDirection direction, int depthLimit)
{
    m_sortKey = key;
    m_sortDirection = direction;
    m_sortDepthLimit = depthLimit;
}

void AnalysisRun::start()
{
    if (refuseWhileBusy())
        return;
    if (CurPath.empty()) {
        m_display.showMessage(RunMessage::SelectFolder, {});
        return;
    }
    runBusy([this] {
        try {
            m_display.showVolume(CurPath);
        } catch (const std::bad_alloc&) {
            // Too little memory left even to begin: the tree shown stays as it is.
            m_display.showMessage(RunMessage::ScanError, CurPath);
            m_display.showRunOutcome(StopFlag != 0);
            return;
        }
        AnalyzeFolder(CurPath);
        m_display.showRunOutcome(StopFlag != 0);
    });
}

template <typename Body>
void AnalysisRun::runBusy(Body body)
{
    // Whatever happens in body, the controls come back to rest.
    struct RunEnd {
        AnalysisRun& run;
        ~RunEnd()
        {
            run.m_busy = false;
            // Ending a run that failed for want of memory may fail the same way; a destructor
            // must not throw, and the failure that ended the run is already on its way up.
            try {
                run.cancel();
                run.m_display.showRunEnded(run.m_closeAfterRun);
            } catch (...) {
            }
        }
    };
    m_busy = true;
    const RunEnd end{*this};

    // Reset before the display handles pending input, so that a Cancel handled there is not lost.
    StopFlag = 0;
    m_display.showRunStarted();
    ScanCount = 0;
    TimeCount = 0;
    body();
}

void AnalysisRun::startImport(const std::string& path)
{
    if (refuseWhileBusy())
        return;
    runBusy([this, &path] {
        m_display.showVolume({});
        ImportResult result;
        try {
            FileImportInput input(path);
            result = ImportScan(input);
        } catch (const ImportError& error) {
            result.outcome = ScanOutcome::Failed;
            result.error = error.reason();
        }
        if (result.outcome == ScanOutcome::Failed) {
            m_display.showImportFailed(path, result.error);
            m_display.showRunOutcome(true);
            return;
        }
        m_display.showImportedScan(result.scan);
        m_display.showRunOutcome(result.outcome == ScanOutcome::Cancelled);
    });
}

ImportResult AnalysisRun::ImportScan(ImportInput& input)
{
    ImportResult result;
    try {
        // The display lets go of the entries first. It may find no room for the tree to come,
        // as the import may run out of it: both end the same way.
        m_display.showTreeEmptying();
        m_tree.ClearEntries();
        result.scan = ImportNcdu(input, m_tree, *this);
        SortEntries(m_tree, m_sortKey, m_sortDirection, m_sortDepthLimit);
        if (StopFlag != 0)
            result.outcome = ScanOutcome::Cancelled;
    } catch (const ImportError& error) {
        // Never a partial tree shown as if it were the scan.
        m_tree.ClearEntries();
        result.outcome = ScanOutcome::Failed;
        result.error = error.what();
    } catch (const std::bad_alloc&) {
        m_tree.ClearEntries();
        result.outcome = ScanOutcome::Failed;
        result.error = "out of memory";
    }
    m_currentFolder = NoEntry;
    m_display.showTreeFilled(m_tree.FirstEntry());
    return result;
}

ScanOutcome AnalysisRun::AnalyzeFolder(const std::string& path)
{
    if (path.empty() || !m_fileSystem.isFolder(path)) {
        m_display.showMessage(RunMessage::OpenError, path);
        return ScanOutcome::NotAFolder;
    }
    std::string scanPath = path;
    if (scanPath.back() != PathSeparator)
        scanPath += PathSeparator;

    ScanOutcome outcome = ScanOutcome::Complete;
    try {
        m_display.showTreeEmptying();
        m_tree.ClearEntries();
        const FolderVolume volume = m_fileSystem.volumeOf(path);
        if (volume.fileSystemRoot && volume.usedInodes > 0)
            m_estimate.emplace(volume.usedInodes);
        m_scanStart = m_clock->seconds();
        FolderScanner scanner(m_tree, m_fileSystem, *this, m_scanOptions);
        scanner.ScanFolder(scanPath, NoEntry);
        SortEntries(m_tree, m_sortKey, m_sortDirection, m_sortDepthLimit);
        if (StopFlag != 0)
            outcome = ScanOutcome::Cancelled;
    } catch (...) {
        // In practice memory ran out: what was found is dropped, the run goes on.
        m_tree.ClearEntries();
        outcome = ScanOutcome::Failed;
        m_display.showMessage(RunMessage::ScanError, scanPath);
    }
    m_estimate.reset();
    m_currentFolder = NoEntry;
    m_display.showTreeFilled(m_tree.FirstEntry());
    return outcome;
}

std::optional<ScanProgress> AnalysisRun::progress()
{
    if (!m_estimate)
        return std::nullopt;
    return m_estimate->update(m_clock->seconds() - m_scanStart, static_cast<std::uint64_t>(std::max(ScanCount, 0)));
}

void AnalysisRun::cancel()
{
    StopFlag = 1;
    m_display.showStopped();
}

void AnalysisRun::tick()
{
    ++TimeCount;
    m_display.showElapsed(TimeCount);
}

bool AnalysisRun::closeQuery()
{
    // A cancelled scan counts as at rest: it only winds down.
    if (!m_busy || StopFlag == 1) {
        if (!m_display.confirmExit())
            return false;
        if (m_busy) {
            m_closeAfterRun = true;
            return false;
        }
        return true;
    }
    m_display.showMessage(RunMessage::Busy, {});
    return false;
}

void AnalysisRun::pumpMessages()
{
    m_display.pumpMessages(*this);
}

void AnalysisRun::folderEntered(const EntryTree&, EntryId folder)
{
    m_currentFolder = folder;
}

void AnalysisRun::entryCounted(std::uint32_t scanCount)
{
    ScanCount = static_cast<std::int32_t>(scanCount);
}

void AnalysisRun::scanFinished()
{
    m_display.showScanFinished(*this);
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RunController.h"

#include "analysis/EntryDocument.h"
#include "app/WindowRunDisplay.h"
#include "platform/FileSystem.h"
#include "platform/MemoryReserve.h"
#include "platform/PathSeparator.h"

#include <system_error>

namespace tallyvane {

RunController::RunController(EntryDocument& document, FileSystem& fileSystem, WindowRunDisplay& display,
                             MemoryReserve& reserve, QObject* parent)
    : QObject(parent), m_document(document), m_fileSystem(fileSystem), m_display(display), m_reserve(reserve),
      m_thread(fileSystem, AnalysisThread::Priority::Background)
{
    m_progressTimer.setInterval(ProgressInterval);
    connect(&m_progressTimer, &QTimer::timeout, this, &RunController::showProgress);
}

// The analysis thread is stopped and joined by its own destructor; a result it still posts
// finds no receiver.
RunController::~RunController() = default;

bool RunController::refuseWhileBusy()
{
    if (!m_busy)
        return false;
    m_display.showMessage(RunMessage::Busy, {});
    return true;
}

bool RunController::roomLeft()
{
    if (!m_reserve.hold())
        return false;
    m_reserve.release();
    return true;
}

bool RunController::begin()
{
    m_busy = true;
    m_stopRequested = false;
    m_elapsed = 0;
    m_display.showRunStarted();
    // A run begins only with the room it will keep free while it scans; the tree shown stays.
    if (roomLeft())
        return true;
    m_display.stopElapsed();
    m_display.showMessage(RunMessage::ScanError, m_folder);
    end(false);
    return false;
}

void RunController::start()
{
    if (refuseWhileBusy())
        return;
    if (m_folder.empty()) {
        m_display.showMessage(RunMessage::SelectFolder, {});
        return;
    }
    if (!begin())
        return;
    m_display.showVolume(m_folder);
    // A folder gone since it was chosen: the tree shown stays.
    if (!m_fileSystem.isFolder(m_folder)) {
        m_display.stopElapsed();
        m_display.showMessage(RunMessage::OpenError, m_folder);
        end(false);
        return;
    }
    RunRequest request;
    request.path = m_folder;
    request.options = m_scanOptions;
    launch(std::move(request));
}

void RunController::startImport(const std::string& path)
{
    if (refuseWhileBusy() || !begin())
        return;
    m_display.showVolume({});
    m_importPath = path;
    RunRequest request;
    request.source = RunRequest::Source::Import;
    request.path = path;
    launch(std::move(request));
}

void RunController::launch(RunRequest request)
{
    request.sortKey = m_document.sortKey();
    request.sortDirection = m_document.sortDirection();
    request.roomLeft = [this] { return roomLeft(); };
    // The old tree goes before the new one grows, so the two never need room at once.
    m_display.showTreeEmptying();
    m_document.clear();
    try {
        m_thread.start(std::move(request), [this](RunResult result) {
            auto handed = std::make_shared<RunResult>(std::move(result));
            QMetaObject::invokeMethod(
                this, [this, handed] { finish(std::move(*handed)); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the same as a scan that ran out of memory at once.
        RunResult failed;
        failed.outcome = ScanOutcome::Failed;
        failed.tree = std::make_unique<EntryTree>();
        finish(std::move(failed));
        return;
    }
    m_progressTimer.start();
}

void RunController::showProgress()
{
    m_display.showProgress(m_thread.progress());
}

void RunController::finish(RunResult result)
{
    m_progressTimer.stop();
    m_display.showProgress(m_thread.progress());
    m_thread.reap();
    m_display.stopElapsed();
    const bool importing = !m_importPath.empty();
    switch (result.outcome) {
    case ScanOutcome::Complete:
    case ScanOutcome::Cancelled:
        break;
    case ScanOutcome::Failed:
        if (importing) {
            m_display.showImportFailed(m_importPath, result.error);
        } else {
            std::string scanPath = m_folder;
            if (scanPath.back() != PathSeparator)
                scanPath += PathSeparator;
            m_display.showMessage(RunMessage::ScanError, scanPath);
        }
        break;
    case ScanOutcome::NotAFolder:
        m_display.showMessage(RunMessage::OpenError, m_folder);
        break;
    }
    const bool imported = result.importedScan.has_value();
    m_display.showTreeArriving();
    m_document.replaceTree(*result.tree, m_document.sortKey(), m_document.sortDirection(),
                           std::move(result.importedScan));
    result.tree.reset();
    m_display.showTreeFilled();
    if (imported)
        m_display.showImportedScan(*m_document.importedScan());
    end(m_stopRequested);
}

void RunController::end(bool cancelled)
{
    m_importPath.clear();
    m_display.showRunOutcome(cancelled);
    cancel();
    m_busy = false;
    emit runEnded(m_closeAfterRun);
    m_closeAfterRun = false;
}

void RunController::cancel()
{
    m_stopRequested = true;
    m_thread.stop();
    m_display.showStopped();
}

void RunController::tick()
{
    ++m_elapsed;
    m_display.showElapsed(m_elapsed);
}

bool RunController::closeQuery()
{
    // A cancelled scan counts as at rest: it only winds down.
    if (!m_busy || m_stopRequested) {
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

} // namespace tallyvane

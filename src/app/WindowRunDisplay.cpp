// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowRunDisplay.h"

#include "app/ReportPage.h"
#include "commands/EntryCommands.h"
#include "commands/MessageBoxes.h"
#include "platform/FileNames.h"
#include "platform/MemoryReserve.h"
#include "presentation/ElapsedTime.h"
#include "presentation/MessageTexts.h"
#include "presentation/ScanTexts.h"
#include "presentation/VolumeSummary.h"
#include "views/ResultGrid.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

#include <new>

namespace tallyvane {

WindowRunDisplay::WindowRunDisplay(ReportPage& page, QLabel& statusPanel, QLabel& progressPanel, QTimer& timer,
                                   MessageBoxes& messages, EntryCommands& commands, MemoryReserve& reserve,
                                   std::function<void(bool)> runEnded)
    : m_page(page), m_statusPanel(statusPanel), m_progressPanel(progressPanel), m_timer(timer),
      m_messages(messages), m_commands(commands), m_reserve(reserve), m_runEnded(std::move(runEnded))
{
    m_sincePump.start();
    m_progressPanel.hide();
}

void WindowRunDisplay::holdReserve()
{
    if (!m_reserve.hold())
        throw std::bad_alloc();
}

void WindowRunDisplay::showMessage(RunMessage message, const std::string& path)
{
    m_reserve.release();
    const QString caption = QString::fromUtf8(MsgCaption);
    switch (message) {
    case RunMessage::Busy:
        m_messages.show(QString::fromUtf8(MsgBusy), caption, MessageIcon::Error);
        break;
    case RunMessage::SelectFolder:
        m_messages.show(QString::fromUtf8(MsgSelectFolder), caption, MessageIcon::Warning);
        m_page.showState({});
        break;
    case RunMessage::OpenError:
        m_messages.show(QString::fromUtf8(MsgOpenError) + DecodeFileName(path), caption, MessageIcon::Warning);
        break;
    case RunMessage::ScanError:
        m_messages.show(QString::fromUtf8(MsgScanError) + DecodeFileName(path), caption, MessageIcon::Error);
        break;
    }
}

void WindowRunDisplay::pumpMessages(AnalysisRun& run)
{
    if (m_sincePump.elapsed() < PumpInterval)
        return;
    m_reserve.release();
    publish(run);
    QCoreApplication::processEvents();
    m_sincePump.restart();
    holdReserve();
}

void WindowRunDisplay::showScanFinished(AnalysisRun& run)
{
    m_reserve.release();
    publish(run);
    showProgress({});
}

void WindowRunDisplay::showProgress(const QString& text)
{
    if (text == m_progressPanel.text())
        return;
    m_progressPanel.setText(text);
    m_progressPanel.setVisible(!text.isEmpty());
}

void WindowRunDisplay::publish(AnalysisRun& run)
{
    const std::optional<ScanProgress> progress = run.progress();
    showProgress(progress ? ScanProgressText(*progress) : QString());
    if (run.ScanCount != m_shownCount) {
        m_shownCount = run.ScanCount;
        m_page.showCount(m_shownCount);
    }
    const EntryId folder = run.currentFolder();
    if (folder != NoEntry && folder != m_shownFolder) {
        m_shownFolder = folder;
        m_statusPanel.setText(DecodeFileName(run.tree().EntryPath(folder)));
    }
}

bool WindowRunDisplay::confirmExit()
{
    return m_messages.askYesNo(QString::fromUtf8(MsgExit), QString::fromUtf8(ProgramCaption));
}

void WindowRunDisplay::showRunStarted()
{
    m_page.showState(QString::fromUtf8(MsgScanning));
    m_page.showVolume({});
    m_page.setScanning(true);
    m_shownCount = 0;
    m_shownFolder = NoEntry;
    showProgress({});
    m_page.showCount(0);
    m_page.showElapsed(QStringLiteral("0"));
    QCoreApplication::processEvents();
    m_timer.start();
}

void WindowRunDisplay::showVolume(const std::string& path)
{
    // A run begins only with the room it will hold back while it scans.
    holdReserve();
    m_reserve.release();
    m_commands.setImportedScan(false);
    m_page.showVolume(path);
}

void WindowRunDisplay::showImportedScan(const ImportedScan& scan)
{
    m_reserve.release();
    m_commands.setImportedScan(true);
    m_page.showImportSummary(SummariseImport(scan));
}

void WindowRunDisplay::showImportFailed(const std::string& path, const std::string& reason)
{
    m_reserve.release();
    m_messages.show(QString::fromUtf8(MsgImportError) + DecodeFileName(path) + QLatin1Char('\r')
                        + QString::fromStdString(reason),
                    QString::fromUtf8(MsgCaption), MessageIcon::Error);
}

void WindowRunDisplay::showTreeEmptying()
{
    // The search window's results name entries of the tree about to go.
    m_commands.forgetEntries();
    m_page.setTreemapScanning(true);
    ResultGrid& grid = m_page.grid();
    grid.BeginGridUpdate();
    grid.ClearEntries();
    holdReserve();
}

void WindowRunDisplay::showTreeFilled(EntryId root)
{
    m_reserve.release();
    ResultGrid& grid = m_page.grid();
    if (root != NoEntry) {
        m_page.showFolderChart(grid.tree(), root);
        grid.SelectEntry(root);
        grid.ExpandEntry(root);
        grid.FocusEntry(root);
    }
    grid.EndGridUpdate();
    m_page.setTreemapScanning(false);
}

void WindowRunDisplay::showRunOutcome(bool cancelled)
{
    m_page.showState(QString::fromUtf8(cancelled ? MsgCancelled : MsgDone));
}

void WindowRunDisplay::showStopped()
{
    m_timer.stop();
    m_page.setScanning(false);
}

void WindowRunDisplay::showElapsed(std::int32_t seconds)
{
    m_page.showElapsed(ElapsedTimeText(seconds, QString::fromUtf8(MsgMinutes), QString::fromUtf8(MsgSeconds)));
}

void WindowRunDisplay::showRunEnded(bool closeNow)
{
    m_reserve.release();
    m_runEnded(closeNow);
}

} // namespace tallyvane

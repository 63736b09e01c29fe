// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowRunDisplay.h"

#include "analysis/EntryDocument.h"
#include "app/ReportPage.h"
#include "commands/MessageBoxes.h"
#include "platform/FileNames.h"
#include "presentation/ElapsedTime.h"
#include "presentation/MessageTexts.h"
#include "presentation/ScanTexts.h"
#include "presentation/VolumeSummary.h"
#include "views/ResultGrid.h"

#include <QLabel>
#include <QTimer>

namespace tallyvane {

WindowRunDisplay::WindowRunDisplay(ReportPage& page, const EntryDocument& document, QLabel& statusPanel,
                                   QLabel& progressPanel, QTimer& timer, MessageBoxes& messages)
    : m_page(page), m_document(document), m_statusPanel(statusPanel), m_progressPanel(progressPanel), m_timer(timer),
      m_messages(messages)
{
    m_progressPanel.hide();
}

void WindowRunDisplay::showMessage(RunMessage message, const std::string& path)
{
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
    m_shownFolder.clear();
    showEstimate({});
    m_page.showCount(0);
    m_page.showElapsed(QStringLiteral("0"));
    m_timer.start();
}

void WindowRunDisplay::showVolume(const std::string& path)
{
    m_page.showVolume(path);
}

void WindowRunDisplay::showTreeEmptying()
{
    m_page.setTreemapScanning(true);
}

void WindowRunDisplay::showTreeArriving()
{
    m_page.grid().BeginGridUpdate();
}

void WindowRunDisplay::showProgress(const RunProgress& progress)
{
    showEstimate(progress.estimate ? ScanProgressText(*progress.estimate) : QString());
    if (progress.entries != m_shownCount) {
        m_shownCount = progress.entries;
        m_page.showCount(static_cast<std::int32_t>(m_shownCount));
    }
    if (!progress.folder.empty() && progress.folder != m_shownFolder) {
        m_shownFolder = progress.folder;
        m_statusPanel.setText(DecodeFileName(m_shownFolder));
    }
}

void WindowRunDisplay::showEstimate(const QString& text)
{
    if (text == m_progressPanel.text())
        return;
    m_progressPanel.setText(text);
    m_progressPanel.setVisible(!text.isEmpty());
}

void WindowRunDisplay::stopElapsed()
{
    m_timer.stop();
    showEstimate({});
}

void WindowRunDisplay::showTreeFilled()
{
    ResultGrid& grid = m_page.grid();
    if (const EntryId root = m_document.root(); root != NoEntry) {
        m_page.showChartOf(m_document.tree(), root);
        grid.SelectEntry(root);
        grid.ExpandEntry(root);
        grid.FocusEntry(root);
    }
    grid.EndGridUpdate();
    m_page.setTreemapScanning(false);
}

void WindowRunDisplay::showImportedScan(const ImportedScan& scan)
{
    m_page.showImportSummary(SummariseImport(scan));
}

void WindowRunDisplay::showImportFailed(const std::string& path, const std::string& reason)
{
    m_messages.show(QString::fromUtf8(MsgImportError) + DecodeFileName(path) + QLatin1Char('\r')
                        + QString::fromStdString(reason),
                    QString::fromUtf8(MsgCaption), MessageIcon::Error);
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

} // namespace tallyvane

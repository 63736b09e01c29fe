// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowScanProgress.h"

#include "platform/FileNames.h"

#include <QCoreApplication>
#include <QLabel>

namespace tallyvane {

WindowScanProgress::WindowScanProgress(const int& stopFlag, std::int32_t& scanCount, QLabel& countLabel,
                                       QLabel& statusPanel)
    : m_stopFlag(stopFlag), m_scanCount(scanCount), m_countLabel(countLabel), m_statusPanel(statusPanel)
{
    m_sincePump.start();
}

void WindowScanProgress::pumpMessages()
{
    if (m_sincePump.elapsed() < PumpInterval)
        return;
    publish();
    QCoreApplication::processEvents();
    m_sincePump.restart();
}

void WindowScanProgress::folderEntered(const EntryTree& tree, EntryId folder)
{
    m_tree = &tree;
    m_folder = folder;
}

void WindowScanProgress::publish()
{
    if (m_scanCount != m_shownCount) {
        m_shownCount = m_scanCount;
        m_countLabel.setText(QString::number(m_shownCount));
    }
    if (m_tree && m_folder != m_shownFolder) {
        m_shownFolder = m_folder;
        m_statusPanel.setText(DecodeFileName(m_tree->EntryPath(m_folder)));
    }
}

} // namespace tallyvane

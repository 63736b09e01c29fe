// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/EntryCommands.h"

#include "analysis/EntryTargets.h"
#include "commands/MessageBoxes.h"
#include "commands/SaveDialog.h"
#include "desktop/Desktop.h"
#include "platform/FileNames.h"
#include "presentation/MessageTexts.h"
#include "views/EntryModel.h"
#include "views/PropertiesDialog.h"
#include "views/ResultGrid.h"
#include "views/SearchWindow.h"

namespace tallyvane {

EntryCommands::EntryCommands(ResultGrid& grid, CommandServices services, QWidget* owner)
    : m_grid(grid), m_services(services), m_owner(owner)
{
}

bool EntryCommands::refuseImported()
{
    if (!m_grid.document().isImported())
        return false;
    m_services.messages.show(QString::fromUtf8(MsgImportedEntry), QString::fromUtf8(MsgCaption),
                             MessageIcon::Information);
    return true;
}

void EntryCommands::showInFileManager()
{
    if (const EntryId entry = m_grid.FocusedEntry(); entry != NoEntry && !refuseImported())
        m_services.desktop.showFolder(TargetsOf(m_grid.tree(), entry).explorerFolder);
}

void EntryCommands::open()
{
    const EntryId entry = m_grid.FocusedEntry();
    if (entry == NoEntry || refuseImported())
        return;
    const std::string path = TargetsOf(m_grid.tree(), entry).openPath;
    if (m_grid.tree().isFolder(entry))
        m_services.desktop.showFolder(path);
    else
        m_services.desktop.openFile(path);
}

void EntryCommands::search()
{
    const EntryId entry = m_grid.FocusedEntry();
    if (entry == NoEntry)
        return;
    if (!m_searchWindow) {
        m_searchWindow = new SearchWindow(m_grid.document(), m_owner);
        m_searchWindow->setObjectName(QStringLiteral("SearchWindow"));
        QObject::connect(m_searchWindow, &SearchWindow::entryChosen, m_searchWindow, [this](EntryId found) {
            m_grid.RevealEntry(found);
            m_grid.FocusEntry(found);
            m_grid.SelectEntry(found);
            m_grid.FocusGrid();
        });
    }
    m_searchWindow->searchIn(entry);
}

void EntryCommands::showProperties()
{
    const EntryId entry = m_grid.FocusedEntry();
    if (entry == NoEntry || refuseImported())
        return;
    if (m_services.desktop.showItemProperties(TargetsOf(m_grid.tree(), entry).propertiesPath))
        return;
    // No file manager answered: the program's own dialog, as open-ended as theirs.
    auto* dialog = new PropertiesDialog(m_grid.tree(), entry, m_services.fileFacts, m_owner);
    dialog->setObjectName(QStringLiteral("PropertiesDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The dialog reads the tree while it sums the size on disk: a new analysis ends it.
    QObject::connect(&m_grid.entryModel(), &QAbstractItemModel::modelAboutToBeReset, dialog, &QWidget::close);
    dialog->show();
}

void EntryCommands::FocusLargestFile(EntryId entry)
{
    const EntryId best = LargestFileBelow(m_grid.tree(), entry);
    if (best == NoEntry)
        return;
    m_grid.FocusGrid();
    m_grid.BeginGridUpdate();
    m_grid.RevealEntry(best);
    m_grid.EndGridUpdate();
    m_grid.FocusEntry(best);
    m_grid.SelectEntry(best);
}

void EntryCommands::expandAll()
{
    m_grid.ExpandSubtree(m_grid.FocusedEntry());
}

void EntryCommands::collapseAll()
{
    m_grid.CollapseSubtree(m_grid.FocusedEntry());
}

void EntryCommands::countRows()
{
    m_services.messages.show(QString::number(m_grid.tree().EntryCount()) + QString::fromUtf8(MsgRows),
                             QString::fromUtf8(MsgCount), MessageIcon::None);
}

void EntryCommands::SaveReport(ReportFormat format)
{
    static const char* const suffixes[] = {"html", "rtf", "txt", "json"};
    const QString suffix = QString::fromLatin1(suffixes[static_cast<int>(format)]);
    const std::optional<QString> path =
        m_services.saveDialog.askFileName(m_owner, suffix, QStringLiteral("*.") + suffix);
    if (!path)
        return;
    // The window's text export separates its fields with tabs.
    SaveReportFile(EncodeFileName(*path), format, m_grid.reportDescription(), m_grid.tree(), DefaultSeparator);
}

} // namespace tallyvane

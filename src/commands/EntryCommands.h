// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "report/RenderReport.h"

class QWidget;

namespace tallyvane {

class Desktop;
class FileFactsSource;
class MessageBoxes;
class ResultGrid;
class SaveDialog;
class SearchWindow;

// What the commands ask of the world outside the program; tests hand in recording fakes.
struct CommandServices {
    Desktop& desktop;
    FileFactsSource& fileFacts;
    MessageBoxes& messages;
    SaveDialog& saveDialog;
};

// The bodies of the grid's pop-up menu commands, each on the grid's focused entry, and the
// saving of its exports. Paths reach the desktop as the file system's bytes.
class EntryCommands {
public:
    // owner: the window that owns the dialogs the commands open.
    EntryCommands(ResultGrid& grid, CommandServices services, QWidget* owner);

    void showInFileManager();
    void open();
    // The search window over the analysed tree, made on first use, searching in the entry.
    void search();
    void showProperties();
    void FocusLargestFile(EntryId entry);
    void expandAll();
    void collapseAll();
    void countRows();
    // Renders the grid as format into the file the user names; the file is replaced only once
    // the report is complete. Errors go up to the application's error box.
    void SaveReport(ReportFormat format);

private:
    ResultGrid& m_grid;
    CommandServices m_services;
    QWidget* m_owner;
    SearchWindow* m_searchWindow = nullptr; // made on first use, owned by m_owner

    // True, after telling the user, when the entries come from an imported scan: they name no
    // files of this machine.
    bool refuseImported();
};

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryDocument.h"
#include "app/EntryMenu.h"
#include "app/Settings.h"
#include "app/WindowServices.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class QStackedWidget;

namespace tallyvane {

class AboutPage;
class ElidedLabel;
class EntryCommands;
class MainToolbar;
class OptionsController;
class OptionsPage;
class ReportPage;
class ResultGrid;
class RunController;
class TImageListEx;
class WindowRunDisplay;
struct ExportOptions;

// The program's one window: toolbar, the report page with the result grid, the pie chart and
// the volume summary, the options page, the about page and the status bar.
//
// The handlers keep the names and the order of steps of the program's design and forward to
// the code that does the work: the run controller, the entry commands, the settings and the
// pages. The document holds the analysed tree; every view follows it.
class TFormTallyvane final : public QMainWindow {
    Q_OBJECT

public:
    // settings: as read at start. commandLine: what the program was started with; its folder
    // (bytes) is analysed, or its ncdu export imported, once the window shows.
    TFormTallyvane(WindowServices services, Settings settings, const ExportOptions& commandLine,
                   QWidget* parent = nullptr);
    ~TFormTallyvane() override;

    // The analysis run.
    void BTNRunClick();
    void BTNCancelClick();
    void Timer1Timer();
    bool FormCloseQuery();

    // Start-up and the ways a folder arrives.
    void FormActivate();
    void RzBtnDirectoryClick();
    // Paths as bytes; only the first counts. True when the drop was taken: its first item is a
    // folder or a scan to import, and no analysis was running.
    bool WMDropFiles(const std::vector<std::string>& droppedPaths);

    // Toolbar.
    void TBAnalysisClick();
    void TBOptionsClick();
    void TBAboutClick();
    void BTNHelpClick();
    void BTNUpdateClick();
    void BTNHomePageClick();
    void TBExitClick();

    // The grid's pop-up menu.
    void NRMClick();
    void NOpenClick();
    void NSerchClick();
    void NPropertyClick();
    void NFindMaxClick();
    void NExpClick();
    void NCollapseClick();
    void NCountClick();
    void Html1Click();
    void Rtf1Click();
    void Text1Click();

    // The file-manager entry.
    void BTNAddRegClick();
    void BTNDelRegClick();

    RunController& run() { return *m_run; }
    ResultGrid& grid();
    const EntryDocument& document() const { return m_document; }
    const Settings& options() const;
    // Whether a command-line folder or export still waits for the window to show.
    bool hasStartWork() const { return !m_startPath.empty() || !m_startImport.empty(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate(Settings settings, const ExportOptions& commandLine);
    void buildStatusBar();
    void runMenuItem(EntryMenuItem item);
    void connectPages();
    void takeCommandLine(const ExportOptions& commandLine);
    void runEnded(bool closeNow);
    void chooseFolder(const std::string& path);
    // True for a file that is not a folder and is named like an ncdu export (".json").
    bool isScanExport(const std::string& path) const;
    // Runs a handler the user started; an error it raises goes to the application's error box.
    template <typename Handler>
    void guarded(Handler handler);

    WindowServices m_services;
    EntryDocument m_document;
    std::unique_ptr<TImageListEx> m_iconList;
    std::unique_ptr<EntryCommands> m_commands;
    std::unique_ptr<WindowRunDisplay> m_runDisplay;
    std::unique_ptr<OptionsController> m_options;
    RunController* m_run = nullptr;
    std::string m_startPath;   // the command-line folder, analysed once the window shows
    std::string m_startImport; // the command-line ncdu export, imported once the window shows
    bool m_closeAfterRun = false;
    bool m_activated = false;

    MainToolbar* m_toolbar = nullptr;
    QStackedWidget* m_pages = nullptr;
    ReportPage* m_reportPage = nullptr;
    OptionsPage* m_optionsPage = nullptr;
    AboutPage* m_aboutPage = nullptr;
    ElidedLabel* m_statusPanel = nullptr;
    QLabel* m_progressPanel = nullptr; // the share done and the time left, beside the folder being read
    QMenu* m_popupMenu = nullptr;
    QTimer Timer1;
};

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/AnalysisRun.h"
#include "analysis/EntryTree.h"
#include "app/Settings.h"
#include "app/SkinEngine.h"
#include "app/WindowServices.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class QStackedWidget;
class QToolBar;
class QToolButton;

namespace tallyvane {

class AboutPage;
class ElidedLabel;
class EntryCommands;
class OptionsPage;
class ReportPage;
class ResultGrid;
class TImageListEx;
class WindowRunDisplay;

// The program's one window: toolbar, the report page with the result grid, the pie chart and
// the volume summary, the options page, the about page and the status bar.
//
// The handlers keep the names and the order of steps of the program's design and forward to
// the code that does the work: the analysis run, the entry commands, the settings and the pages.
class TFormTallyvane final : public QMainWindow {
    Q_OBJECT

public:
    // arguments: the program's arguments after its own name, as bytes; the first may name a folder.
    TFormTallyvane(WindowServices services, const std::vector<std::string>& arguments, QWidget* parent = nullptr);
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
    // Shows the ncdu export at path as if its folder had been analysed here.
    void importScan(const std::string& path);

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

    // Settings.
    void LoadSettings();
    void SaveSetting(int code);
    void CBAutoClick();
    void CB1Click(int tag);
    // The scan options take effect at the next scan.
    void CBOneFileSystemClick();
    void CBHardLinksClick();
    void EDExcludeChange();
    void RadioButton1Click(int tag);

    AnalysisRun& run() { return *m_run; }
    ResultGrid& grid();

    std::string StartPath; // the command-line folder, analysed once the window shows
    std::string StartImport; // the command-line ncdu export, imported once the window shows
    Settings Options;      // AutoAnalyze, ColShow1 to ColShow6, SkinNo
    QString HomeURL;
    QString UpdateURL;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate(const std::vector<std::string>& arguments);
    void buildToolbar();
    void buildPopupMenu();
    void connectPages();
    void runEnded(bool closeNow);
    void chooseFolder(const std::string& path);
    // True for a file that is not a folder and is named like an ncdu export (".json").
    bool isScanExport(const std::string& path) const;
    // Runs a handler the user started; an error it raises goes to the application's error box.
    template <typename Handler>
    void guarded(Handler handler);
    IniFile settingsFile() const;

    WindowServices m_services;
    SkinEngine m_skins;
    EntryTree m_tree;
    std::unique_ptr<TImageListEx> IconList;
    std::unique_ptr<EntryCommands> m_commands;
    std::unique_ptr<WindowRunDisplay> m_runDisplay;
    std::unique_ptr<AnalysisRun> m_run;
    bool m_closeAfterRun = false;
    bool m_activated = false;

    QToolBar* RzToolbar1 = nullptr;
    QToolButton* TBAnalysis = nullptr;
    QToolButton* TBOptions = nullptr;
    QToolButton* TBAbout = nullptr;
    QLabel* LabVer = nullptr;
    QStackedWidget* RzPageControlMain = nullptr;
    ReportPage* TabReport = nullptr;
    OptionsPage* TabOptions = nullptr;
    AboutPage* TabAbout = nullptr;
    ElidedLabel* spSkinStatusPanel1 = nullptr;
    QLabel* spProgressPanel = nullptr; // the share done and the time left, beside the folder being read
    QMenu* PmTree = nullptr;
    QTimer Timer1;
};

} // namespace tallyvane

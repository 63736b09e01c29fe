// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "app/Settings.h"
#include "app/SkinEngine.h"
#include "app/WindowServices.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>

class QLabel;
class QMenu;
class QStackedWidget;
class QToolBar;
class QToolButton;

namespace tallyvane {

class AboutPage;
class OptionsPage;
class ReportPage;
class ResultGrid;
class SearchWindow;
class TImageListEx;

// The program's one window: toolbar, the report page with the result grid, the pie chart and
// the volume summary, the options page, the about page and the status bar; and the analysis
// run, which scans on this thread and keeps the window alive through the scan's pump.
//
// The handlers keep the names and the order of steps of the program's design; what they
// compute lives in widget-free code (scan, grid rules, texts, settings).
class TFormTallyvane final : public QMainWindow {
    Q_OBJECT

public:
    // arguments: the program's arguments after its own name; the first may name a folder.
    TFormTallyvane(WindowServices services, const QStringList& arguments, QWidget* parent = nullptr);
    ~TFormTallyvane() override;

    // The analysis run.
    void BTNRunClick();
    void AnalyzeFolder(const QString& path);
    void BTNCancelClick();
    void Timer1Timer();
    bool FormCloseQuery();

    // Start-up and the ways a folder arrives.
    void FormActivate();
    void RzBtnDirectoryClick();
    void WMDropFiles(const QStringList& droppedPaths);

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
    void FocusLargestFile(EntryId entry);
    void NExpClick();
    void NCollapseClick();
    void NCountClick();
    void Html1Click();
    void Rtf1Click();
    void Text1Click();
    // kind: 1 HTML, 2 RTF, 3 text.
    void SaveReport(const std::string& text, int kind);

    // The file-manager entry.
    void BTNAddRegClick();
    void BTNDelRegClick();

    // Settings.
    void LoadSettings();
    void SaveSetting(int code);
    void CBAutoClick();
    void CB1Click(int tag);
    void RadioButton1Click(int tag);

    ResultGrid& grid() { return *vts; }
    bool isScanning() const { return m_scanning; }

    // Fields the program's parts share.
    int StopFlag = 0;
    QString CurPath;
    QString StartPath;
    std::int32_t ScanCount = 0;
    std::int32_t TimeCount = 0;
    QString HomeURL;
    QString UpdateURL;
    Settings Options; // AutoAnalyze, ColShow1 to ColShow6, SkinNo

    QString MsgCaption, MsgBusy, MsgExit, MsgSmallSlices, MsgRows, MsgCount, MsgSelectFolder, MsgDone,
        MsgScanning, MsgCancelled, MsgOpenError, MsgScanError, MsgMinutes, MsgSeconds;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate(const QStringList& arguments);
    void buildToolbar();
    void buildPopupMenu();
    void connectPages();
    void showError(const QString& text);
    bool refuseWhileScanning();
    // Runs a handler the user started; an error it raises goes to the application's error box.
    template <typename Handler>
    void guarded(Handler handler);
    IniFile settingsFile() const;

    WindowServices m_services;
    SkinEngine m_skins;
    std::unique_ptr<TImageListEx> IconList;
    bool m_scanning = false;
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
    ResultGrid* vts = nullptr;
    QLabel* spSkinStatusPanel1 = nullptr;
    QMenu* PmTree = nullptr;
    SearchWindow* m_searchWindow = nullptr; // made on first use
    QTimer Timer1;
};

} // namespace tallyvane

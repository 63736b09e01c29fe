// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TFormTallyvane.h"

#include "analysis/FolderComposition.h"
#include "analysis/FolderScan.h"
#include "app/AboutPage.h"
#include "app/ElapsedTime.h"
#include "app/FolderPicker.h"
#include "app/FormWidgets.h"
#include "app/MessageBoxes.h"
#include "app/OptionsPage.h"
#include "app/Pictures.h"
#include "app/ReportPage.h"
#include "app/SaveDialog.h"
#include "app/Version.h"
#include "app/WindowScanProgress.h"
#include "commands/EntryTargets.h"
#include "commands/ReportRenderers.h"
#include "platform/Desktop.h"
#include "platform/FileManagerIntegration.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/PathSeparator.h"
#include "views/PieChart.h"
#include "views/PropertiesDialog.h"
#include "views/ResultGrid.h"
#include "views/SearchWindow.h"
#include "views/TImageListEx.h"
#include "views/VolumeSummaryPage.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace tallyvane {


TFormTallyvane::TFormTallyvane(WindowServices services, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), m_services(services)
{
    setObjectName(QStringLiteral("FormTallyvane"));
    setWindowTitle(QStringLiteral("Tallyvane [Vantori]"));
    setWindowIcon(ProgramIcon());
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(11);
    setFont(font);
    FormCreate(arguments);
}

TFormTallyvane::~TFormTallyvane() = default;

void TFormTallyvane::FormCreate(const QStringList& arguments)
{
    setAcceptDrops(true);
    CurPath.clear();
    StartPath.clear();
    HomeURL = QStringLiteral("https://www.tallyvane.example/");
    UpdateURL = QStringLiteral("https://www.tallyvane.example/download/");

    IconList = std::make_unique<TImageListEx>(m_services.systemIcons);
    buildToolbar();
    RzPageControlMain = new QStackedWidget(this);
    RzPageControlMain->setObjectName(QStringLiteral("RzPageControlMain"));
    TabReport = new ReportPage(IconList.get(), m_services.volumes);
    TabOptions = new OptionsPage;
    TabAbout = new AboutPage;
    RzPageControlMain->addWidget(TabReport);
    RzPageControlMain->addWidget(TabOptions);
    RzPageControlMain->addWidget(TabAbout);
    vts = TabReport->vts;
    buildPopupMenu();
    vts->setPopupMenu(PmTree);
    connectPages();
    setCentralWidget(RzPageControlMain);
    spSkinStatusPanel1 = MakeLabel({}, this, QStringLiteral("spSkinStatusPanel1"));
    statusBar()->setObjectName(QStringLiteral("AppStatusBar"));
    statusBar()->setFixedHeight(21);
    statusBar()->setSizeGripEnabled(true);
    statusBar()->addWidget(spSkinStatusPanel1, 1);
    connect(vts, &ResultGrid::statusTextChanged, spSkinStatusPanel1, &QLabel::setText);
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &TFormTallyvane::Timer1Timer);

    MsgCaption = QStringLiteral("提示信息");
    MsgBusy = QStringLiteral("正在扫描，请先取消!");
    MsgExit = QStringLiteral("您确认要退出磁盘空间分析软件?");
    MsgSmallSlices = QString::fromUtf8(SmallSlicesText);
    MsgRows = QStringLiteral("行");
    MsgCount = QStringLiteral("统计");
    MsgSelectFolder = QStringLiteral("请选择文件夹!");
    MsgDone = QStringLiteral("完成");
    MsgScanning = QStringLiteral("正在扫描");
    MsgCancelled = QStringLiteral("取消");
    MsgOpenError = QStringLiteral("打开错误！\r磁盘或文件夹：");
    MsgScanError = QStringLiteral("扫描文件夹错误!\r");
    MsgMinutes = QStringLiteral("分钟");
    MsgSeconds = QStringLiteral("秒");

    // A failed settings write ends the creation steps; the window still opens.
    try {
        LoadSettings();
    } catch (const std::exception& error) {
        showError(QString::fromStdString(error.what()));
        return;
    }
    TabAbout->setHomeUrl(HomeURL);

    if (!arguments.isEmpty()) {
        const QString folder = arguments.constFirst();
        if (m_services.fileSystem.isFolder(EncodeFileName(folder))) {
            CurPath = folder;
            StartPath = folder;
            TabReport->LabCur->setText(folder);
        } else {
            m_services.messages.show(MsgSelectFolder, MsgCaption, MessageIcon::Warning);
        }
    }
    LabVer->setText(ReplaceVersion(LabVer->text(), QString::fromLatin1(ProgramVersion)));
}

void TFormTallyvane::buildToolbar()
{
    RzToolbar1 = addToolBar(QStringLiteral("RzToolbar1"));
    RzToolbar1->setObjectName(QStringLiteral("RzToolbar1"));
    RzToolbar1->setMovable(false);
    RzToolbar1->setFloatable(false);
    RzToolbar1->setFixedHeight(68);
    RzToolbar1->setIconSize({32, 32});
    RzToolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    RzToolbar1->toggleViewAction()->setVisible(false);

    const auto addButton = [this](const QString& caption, const QString& name, Picture picture, auto handler) {
        auto* created = new QToolButton(RzToolbar1);
        created->setObjectName(name);
        created->setText(caption);
        created->setIcon(QIcon(ToolbarPicture(picture)));
        created->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        created->setFixedSize(80, 60);
        RzToolbar1->addWidget(created);
        connect(created, &QToolButton::clicked, this, handler);
        return created;
    };
    TBAnalysis = addButton(QStringLiteral("分析(&R)"), QStringLiteral("TBAnalysis"), Picture::Analysis,
                           &TFormTallyvane::TBAnalysisClick);
    TBOptions = addButton(QStringLiteral("选项(&A)"), QStringLiteral("TBOptions"), Picture::Options,
                          &TFormTallyvane::TBOptionsClick);
    TBAbout = addButton(QStringLiteral("关于(&A)"), QStringLiteral("TBAbout"), Picture::About,
                        &TFormTallyvane::TBAboutClick);
    // The three page buttons latch: exactly one is down.
    auto* pages = new QButtonGroup(this);
    pages->setExclusive(true);
    for (QToolButton* page : {TBAnalysis, TBOptions, TBAbout}) {
        page->setCheckable(true);
        pages->addButton(page);
    }
    TBAnalysis->setChecked(true);
    RzToolbar1->addSeparator();
    addButton(QStringLiteral("帮助(&H)"), QStringLiteral("BTNHelp"), Picture::Help, &TFormTallyvane::BTNHelpClick);
    addButton(QStringLiteral("升级(&U)"), QStringLiteral("BTNUpdate"), Picture::Upgrade, &TFormTallyvane::BTNUpdateClick);
    addButton(QStringLiteral("主页(&H)"), QStringLiteral("BTNHomePage"), Picture::HomePage,
              &TFormTallyvane::BTNHomePageClick);
    RzToolbar1->addSeparator();
    addButton(QStringLiteral("退出(&E)"), QStringLiteral("TBExit"), Picture::Exit, &TFormTallyvane::TBExitClick);

    auto* spacer = new QWidget(RzToolbar1);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    RzToolbar1->addWidget(spacer);
    LabVer = MakeLabel(QStringLiteral("版本 $V$"), RzToolbar1, QStringLiteral("LabVer"));
    LabVer->setFixedWidth(82);
    LabVer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    RzToolbar1->addWidget(LabVer);
}

void TFormTallyvane::connectPages()
{
    connect(TabReport->RzBtnDirectory, &QPushButton::clicked, this, &TFormTallyvane::RzBtnDirectoryClick);
    connect(TabReport->BTNRun, &QPushButton::clicked, this, &TFormTallyvane::BTNRunClick);
    connect(TabReport->BTNCancel, &QPushButton::clicked, this, &TFormTallyvane::BTNCancelClick);

    connect(TabOptions->CBAuto, &QCheckBox::clicked, this, [this] { guarded([this] { CBAutoClick(); }); });
    for (int k = 0; k < 6; ++k) {
        connect(TabOptions->CB[k], &QCheckBox::clicked, this, [this, k] { guarded([this, k] { CB1Click(k + 2); }); });
        // Choosing a skin runs only when the choice changes.
        connect(TabOptions->RadioButton[k], &QRadioButton::toggled, this, [this, k](bool on) {
            if (on)
                guarded([this, k] { RadioButton1Click(k + 1); });
        });
    }
    connect(TabOptions->BTNAddReg, &QPushButton::clicked, this, &TFormTallyvane::BTNAddRegClick);
    connect(TabOptions->BTNDelReg, &QPushButton::clicked, this, &TFormTallyvane::BTNDelRegClick);

    connect(TabAbout, &AboutPage::linkActivated, this,
            [this](const QString& address) { m_services.desktop.openUrl(QUrl(address)); });
}

void TFormTallyvane::buildPopupMenu()
{
    PmTree = new QMenu(this);
    PmTree->setObjectName(QStringLiteral("PmTree"));
    const auto item = [this](QMenu* menu, const QString& caption, const QString& name, void (TFormTallyvane::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    item(PmTree, QStringLiteral("资源管理器(&X)"), QStringLiteral("NRM"), &TFormTallyvane::NRMClick);
    item(PmTree, QStringLiteral("打开(&O)"), QStringLiteral("NOpen"), &TFormTallyvane::NOpenClick);
    item(PmTree, QStringLiteral("搜索(&S)..."), QStringLiteral("NSerch"), &TFormTallyvane::NSerchClick);
    item(PmTree, QStringLiteral("属性(&R)"), QStringLiteral("NProperty"), &TFormTallyvane::NPropertyClick);
    PmTree->addSeparator();
    item(PmTree, QStringLiteral("当前文件夹内最大文件(&M)"), QStringLiteral("NFindMax"), &TFormTallyvane::NFindMaxClick);
    PmTree->addSeparator();
    item(PmTree, QStringLiteral("当前文件夹全部展开(&E)"), QStringLiteral("NExp"), &TFormTallyvane::NExpClick);
    item(PmTree, QStringLiteral("当前文件夹全部收起(&C)"), QStringLiteral("NCollapse"), &TFormTallyvane::NCollapseClick);
    PmTree->addSeparator();
    item(PmTree, QStringLiteral("行数(&N)"), QStringLiteral("NCount"), &TFormTallyvane::NCountClick);
    QMenu* exports = PmTree->addMenu(QStringLiteral("导出"));
    exports->setObjectName(QStringLiteral("Export1"));
    item(exports, QStringLiteral("网页(html)"), QStringLiteral("Html1"), &TFormTallyvane::Html1Click);
    item(exports, QStringLiteral("富文本(RTF)"), QStringLiteral("Rtf1"), &TFormTallyvane::Rtf1Click);
    item(exports, QStringLiteral("文本(Text)"), QStringLiteral("Text1"), &TFormTallyvane::Text1Click);
}

void TFormTallyvane::showError(const QString& text)
{
    m_services.messages.show(text + QLatin1Char('.'), QStringLiteral("Tallyvane"), MessageIcon::Error);
}

template <typename Handler>
void TFormTallyvane::guarded(Handler handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        showError(QString::fromStdString(error.what()));
    }
}

bool TFormTallyvane::refuseWhileScanning()
{
    if (!m_scanning)
        return false;
    m_services.messages.show(MsgBusy, MsgCaption, MessageIcon::Error);
    return true;
}

void TFormTallyvane::BTNRunClick()
{
    // A second analysis must never start inside the pump of a running one: its open folders
    // still hold entries of the tree.
    if (refuseWhileScanning())
        return;
    if (CurPath.isEmpty()) {
        m_services.messages.show(MsgSelectFolder, MsgCaption, MessageIcon::Warning);
        TabReport->Label13->clear();
        return;
    }

    // Whatever happens below, the controls come back to rest on the report page.
    struct RunEnd {
        TFormTallyvane& form;
        ~RunEnd()
        {
            form.m_scanning = false;
            form.BTNCancelClick();
            if (form.RzPageControlMain->currentWidget() != form.TabReport)
                form.RzPageControlMain->setCurrentWidget(form.TabReport);
            if (form.m_closeAfterRun)
                QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);
        }
    };
    m_scanning = true;
    const RunEnd end{*this};

    TabReport->Label13->setText(MsgScanning);
    TabReport->Summary->ShowVolumeSummary({});
    TabReport->ImageScan->hide();
    TabReport->cxImgScan->show();
    TabReport->BTNCancel->show();
    TabReport->BTNRun->setEnabled(false);
    // Reset before the pump below, so that a Cancel handled in it is not lost.
    StopFlag = 0;
    TabReport->Label9->setText(QStringLiteral("0"));
    TabReport->Label10->setText(QStringLiteral("0"));
    QCoreApplication::processEvents();
    ScanCount = 0;
    TimeCount = 0;
    Timer1.start();
    TabReport->Summary->ShowVolumeSummary(CurPath);
    AnalyzeFolder(CurPath);
    TabReport->Label13->setText(StopFlag == 0 ? MsgDone : MsgCancelled);
}

void TFormTallyvane::AnalyzeFolder(const QString& path)
{
    if (path.isEmpty() || !m_services.fileSystem.isFolder(EncodeFileName(path))) {
        m_services.messages.show(MsgOpenError + path, MsgCaption, MessageIcon::Warning);
        return;
    }
    // The search window's results name entries of the tree about to go.
    if (m_searchWindow)
        m_searchWindow->clearResults();
    vts->BeginGridUpdate();
    vts->ClearEntries();
    QString scanPath = path;
    if (!scanPath.endsWith(QLatin1Char(PathSeparator)))
        scanPath += QLatin1Char(PathSeparator);
    try {
        WindowScanProgress progress(StopFlag, ScanCount, *TabReport->Label9, *spSkinStatusPanel1);
        FolderScanner scanner(vts->tree(), m_services.fileSystem, progress);
        scanner.ScanFolder(EncodeFileName(scanPath), NoEntry);
    } catch (...) {
        // In practice memory ran out: what was found is dropped, the run goes on.
        vts->ClearEntries();
        m_services.messages.show(MsgScanError + scanPath, MsgCaption, MessageIcon::Error);
    }

    EntryTree& tree = vts->tree();
    if (const EntryId root = tree.FirstEntry(); root != NoEntry) {
        ShowFolderChart(*TabReport->ChartDict, tree, root);
        vts->SelectEntry(root);
        vts->ExpandEntry(root);
        vts->FocusEntry(root);
    }
    vts->EndGridUpdate();
}

void TFormTallyvane::BTNCancelClick()
{
    Timer1.stop();
    StopFlag = 1;
    TabReport->cxImgScan->hide();
    TabReport->ImageScan->show();
    TabReport->BTNCancel->hide();
    TabReport->BTNRun->setEnabled(true);
}

void TFormTallyvane::Timer1Timer()
{
    ++TimeCount;
    TabReport->Label10->setText(ElapsedTimeText(TimeCount, MsgMinutes, MsgSeconds));
}

bool TFormTallyvane::FormCloseQuery()
{
    if (TabReport->BTNRun->isEnabled() || TabReport->BTNCancel->isHidden()) {
        if (!m_services.messages.askYesNo(MsgExit, QStringLiteral("Tallyvane")))
            return false;
        // A cancelled scan may still be winding down inside this very call: the window goes
        // once it has returned.
        if (m_scanning) {
            m_closeAfterRun = true;
            return false;
        }
        return true;
    }
    m_services.messages.show(MsgBusy, MsgCaption, MessageIcon::Error);
    return false;
}

void TFormTallyvane::closeEvent(QCloseEvent* event)
{
    if (m_closeAfterRun && !m_scanning) {
        event->accept();
        return;
    }
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TFormTallyvane::FormActivate()
{
    if (StartPath.isEmpty())
        return;
    StartPath.clear();
    // Run once the window is up, not inside the event that showed it.
    QMetaObject::invokeMethod(this, &TFormTallyvane::BTNRunClick, Qt::QueuedConnection);
}

void TFormTallyvane::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TFormTallyvane::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Not every desktop activates a new window; the command-line folder starts when it shows.
    if (!m_activated) {
        m_activated = true;
        FormActivate();
    }
}

void TFormTallyvane::RzBtnDirectoryClick()
{
    const std::optional<QString> chosen = m_services.folderPicker.pickFolder(this, TabReport->LabCur->text());
    if (!chosen)
        return;
    QCoreApplication::processEvents();
    if (!chosen->isEmpty() && m_services.fileSystem.isFolder(EncodeFileName(*chosen))) {
        if (Options.AutoAnalyze && refuseWhileScanning())
            return;
        CurPath = *chosen;
        TabReport->LabCur->setText(*chosen);
        if (Options.AutoAnalyze)
            BTNRunClick();
    } else {
        m_services.messages.show(MsgSelectFolder, MsgCaption, MessageIcon::Warning);
    }
}

void TFormTallyvane::WMDropFiles(const QStringList& droppedPaths)
{
    if (droppedPaths.isEmpty())
        return;
    const QString& path = droppedPaths.constFirst();
    if (path.isEmpty() || !m_services.fileSystem.isFolder(EncodeFileName(path)))
        return;
    if (refuseWhileScanning())
        return;
    CurPath = path;
    // The drop ends before the analysis starts, so the program that dragged is not kept waiting.
    QMetaObject::invokeMethod(this, &TFormTallyvane::BTNRunClick, Qt::QueuedConnection);
}

void TFormTallyvane::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TFormTallyvane::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        paths.append(url.isLocalFile() ? url.toLocalFile() : QString());
    WMDropFiles(paths);
    event->acceptProposedAction();
}

void TFormTallyvane::TBAnalysisClick()
{
    RzPageControlMain->setCurrentWidget(TabReport);
}

void TFormTallyvane::TBOptionsClick()
{
    RzPageControlMain->setCurrentWidget(TabOptions);
}

void TFormTallyvane::TBAboutClick()
{
    RzPageControlMain->setCurrentWidget(TabAbout);
}

void TFormTallyvane::BTNHelpClick()
{
    m_services.desktop.openUrl(QUrl::fromLocalFile(m_services.helpPath));
}

void TFormTallyvane::BTNUpdateClick()
{
    m_services.desktop.openUrl(QUrl(UpdateURL));
}

void TFormTallyvane::BTNHomePageClick()
{
    m_services.desktop.openUrl(QUrl(HomeURL));
}

void TFormTallyvane::TBExitClick()
{
    close();
}


void TFormTallyvane::NRMClick()
{
    if (const EntryId entry = vts->FocusedEntry(); entry != NoEntry)
        m_services.desktop.showFolder(DecodeFileName(TargetsOf(vts->tree(), entry).explorerFolder));
}

void TFormTallyvane::NOpenClick()
{
    const EntryId entry = vts->FocusedEntry();
    if (entry == NoEntry)
        return;
    const QString path = DecodeFileName(TargetsOf(vts->tree(), entry).openPath);
    if (vts->tree().isFolder(entry))
        m_services.desktop.showFolder(path);
    else
        m_services.desktop.openUrl(QUrl::fromLocalFile(path));
}

void TFormTallyvane::NSerchClick()
{
    const EntryId entry = vts->FocusedEntry();
    if (entry == NoEntry)
        return;
    if (!m_searchWindow) {
        m_searchWindow = new SearchWindow(vts->tree(), this);
        m_searchWindow->setObjectName(QStringLiteral("SearchWindow"));
        connect(m_searchWindow, &SearchWindow::entryChosen, this, [this](EntryId found) {
            vts->RevealEntry(found);
            vts->FocusEntry(found);
            vts->SelectEntry(found);
            vts->FocusGrid();
        });
    }
    m_searchWindow->searchIn(entry);
}

void TFormTallyvane::NPropertyClick()
{
    const EntryId entry = vts->FocusedEntry();
    if (entry == NoEntry)
        return;
    const QString path = DecodeFileName(TargetsOf(vts->tree(), entry).propertiesPath);
    if (m_services.desktop.showItemProperties(path))
        return;
    // No file manager answered: the program's own dialog, as open-ended as theirs.
    auto* dialog = new PropertiesDialog(vts->tree(), entry, m_services.fileFacts, this);
    dialog->setObjectName(QStringLiteral("PropertiesDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void TFormTallyvane::NFindMaxClick()
{
    FocusLargestFile(vts->FocusedEntry());
}

void TFormTallyvane::FocusLargestFile(EntryId entry)
{
    const EntryId best = LargestFileBelow(vts->tree(), entry);
    if (best == NoEntry)
        return;
    vts->FocusGrid();
    vts->BeginGridUpdate();
    vts->RevealEntry(best);
    vts->EndGridUpdate();
    vts->FocusEntry(best);
    vts->SelectEntry(best);
}

void TFormTallyvane::NExpClick()
{
    vts->ExpandSubtree(vts->FocusedEntry());
}

void TFormTallyvane::NCollapseClick()
{
    vts->CollapseSubtree(vts->FocusedEntry());
}

void TFormTallyvane::NCountClick()
{
    m_services.messages.show(QString::number(vts->tree().EntryCount()) + MsgRows, MsgCount, MessageIcon::None);
}

void TFormTallyvane::Html1Click()
{
    StringSink report;
    ExportHtml(vts->reportDescription(), vts->tree(), QStringLiteral("Zavaroze Duru HTML Export"), report);
    SaveReport(report.text(), 1);
}

void TFormTallyvane::Rtf1Click()
{
    StringSink report;
    ExportRtf(vts->reportDescription(), vts->tree(), report);
    SaveReport(report.text(), 2);
}

void TFormTallyvane::Text1Click()
{
    StringSink report;
    ExportText(vts->reportDescription(), vts->tree(), QStringLiteral("\t"), report);
    SaveReport(report.text(), 3);
}

void TFormTallyvane::SaveReport(const std::string& text, int kind)
{
    static const QString suffixes[] = {QStringLiteral("html"), QStringLiteral("rtf"), QStringLiteral("txt")};
    if (kind < 1 || kind > 3)
        return;
    const QString& suffix = suffixes[kind - 1];
    const std::optional<QString> path =
        m_services.saveDialog.askFileName(this, suffix, QStringLiteral("*.") + suffix);
    if (path)
        SaveReportFile(EncodeFileName(*path), text);
}

void TFormTallyvane::BTNAddRegClick()
{
    FileManagerIntegration integration(EncodeFileName(m_services.dataHome));
    const RegistrationMessage message =
        RegisterFileManagerEntries(integration, windowTitle(), QCoreApplication::applicationFilePath());
    m_services.messages.show(message.text, MsgCaption, message.failure ? MessageIcon::Error : MessageIcon::Information);
}

void TFormTallyvane::BTNDelRegClick()
{
    FileManagerIntegration integration(EncodeFileName(m_services.dataHome));
    const RegistrationMessage message = UnregisterFileManagerEntries(integration);
    m_services.messages.show(message.text, MsgCaption, message.failure ? MessageIcon::Error : MessageIcon::Information);
}

IniFile TFormTallyvane::settingsFile() const
{
    return IniFile(EncodeFileName(m_services.settingsPath));
}

void TFormTallyvane::LoadSettings()
{
    Options = Settings::load(settingsFile());
    for (int column = 1; column <= 6; ++column)
        vts->SetColumnVisible(column, Options.ColShow[column - 1]);
    m_skins.applySkin(Options.hasStoredSkin() ? Options.SkinNo : 1);

    // The page takes the settings without running its handlers; what their runs would have
    // written back, differing from the page as created, is written here in the same order.
    {
        const QSignalBlocker blockAuto(TabOptions->CBAuto);
        TabOptions->CBAuto->setChecked(Options.AutoAnalyze);
    }
    for (int k = 0; k < 6; ++k) {
        const QSignalBlocker blockColumn(TabOptions->CB[k]);
        TabOptions->CB[k]->setChecked(Options.ColShow[k]);
    }
    if (Options.hasStoredSkin()) {
        const QSignalBlocker blockSkin(TabOptions->RadioButton[Options.SkinNo - 1]);
        TabOptions->RadioButton[Options.SkinNo - 1]->setChecked(true);
    }
    for (const int code : Options.startWriteBacks())
        SaveSetting(code);
}

void TFormTallyvane::SaveSetting(int code)
{
    IniFile file = settingsFile();
    Options.save(file, code);
}

void TFormTallyvane::CBAutoClick()
{
    Options.AutoAnalyze = TabOptions->CBAuto->isChecked();
    SaveSetting(SaveCodeAuto);
}

void TFormTallyvane::CB1Click(int tag)
{
    const int column = tag - 1;
    if (column >= 1 && column <= 6) {
        Options.ColShow[column - 1] = TabOptions->CB[column - 1]->isChecked();
        vts->SetColumnVisible(column, Options.ColShow[column - 1]);
    }
    SaveSetting(tag);
}

void TFormTallyvane::RadioButton1Click(int tag)
{
    if (SkinEngine::isSkin(tag))
        m_skins.applySkin(tag);
    Options.SkinNo = tag;
    SaveSetting(SaveCodeSkin);
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TFormTallyvane.h"

#include "app/AboutPage.h"
#include "app/ElidedLabel.h"
#include "app/FolderPicker.h"
#include "app/FormWidgets.h"
#include "app/OptionsPage.h"
#include "app/Pictures.h"
#include "app/ReportPage.h"
#include "app/ToolbarButton.h"
#include "presentation/Version.h"
#include "app/WindowRunDisplay.h"
#include "cli/ExportCommand.h"
#include "commands/EntryCommands.h"
#include "commands/FileManagerCommands.h"
#include "commands/MessageBoxes.h"
#include "desktop/Desktop.h"
#include "desktop/FileManagerIntegration.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "presentation/GridColumns.h"
#include "presentation/MessageTexts.h"
#include "views/GridFonts.h"
#include "views/ResultGrid.h"
#include "views/TImageListEx.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <optional>

namespace tallyvane {

TFormTallyvane::TFormTallyvane(WindowServices services, const std::vector<std::string>& arguments, QWidget* parent)
    : QMainWindow(parent), m_services(services)
{
    setObjectName(QStringLiteral("FormTallyvane"));
    setWindowTitle(QStringLiteral("Tallyvane [Vantori]"));
    setWindowIcon(ProgramIcon());
    // The window's font is the application's: a skin applied while the window shows polishes
    // every widget again, and a widget that only inherited its font then falls back to the
    // application's. With one font in both places the skin looks the same at start and later.
    QApplication::setFont(GridFont());
    setFont(GridFont());
    FormCreate(arguments);
}

TFormTallyvane::~TFormTallyvane()
{
    // The pages, the search window and the properties dialogs show the tree, a member that goes
    // before the base class would delete them.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

ResultGrid& TFormTallyvane::grid()
{
    return TabReport->grid();
}

void TFormTallyvane::FormCreate(const std::vector<std::string>& arguments)
{
    setAcceptDrops(true);
    StartPath.clear();
    HomeURL = QStringLiteral("https://www.tallyvane.example/");
    UpdateURL = QStringLiteral("https://www.tallyvane.example/download/");

    IconList = std::make_unique<TImageListEx>(m_services.systemIcons);
    buildToolbar();
    RzPageControlMain = new QStackedWidget(this);
    RzPageControlMain->setObjectName(QStringLiteral("RzPageControlMain"));
    TabReport = new ReportPage(m_tree, IconList.get(), m_services.volumes);
    TabOptions = new OptionsPage;
    TabAbout = new AboutPage;
    RzPageControlMain->addWidget(TabReport);
    RzPageControlMain->addWidget(TabOptions);
    RzPageControlMain->addWidget(TabAbout);
    buildPopupMenu();
    grid().setPopupMenu(PmTree);
    setCentralWidget(RzPageControlMain);
    spSkinStatusPanel1 = new ElidedLabel(this);
    spSkinStatusPanel1->setObjectName(QStringLiteral("spSkinStatusPanel1"));
    statusBar()->setObjectName(QStringLiteral("AppStatusBar"));
    statusBar()->setFixedHeight(21);
    statusBar()->setSizeGripEnabled(true);
    spProgressPanel = new QLabel(this);
    spProgressPanel->setObjectName(QStringLiteral("spProgressPanel"));
    statusBar()->addWidget(spProgressPanel);
    statusBar()->addWidget(spSkinStatusPanel1, 1);
    connect(&grid(), &ResultGrid::statusTextChanged, spSkinStatusPanel1, &QLabel::setText);
    connect(TabReport, &ReportPage::treemapHovered, this, [this](EntryId entry) {
        if (entry != NoEntry)
            spSkinStatusPanel1->setText(EntryStatusText(m_tree, entry));
    });
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &TFormTallyvane::Timer1Timer);

    m_commands = std::make_unique<EntryCommands>(
        grid(), CommandServices{m_services.desktop, m_services.fileFacts, m_services.messages, m_services.saveDialog},
        this);
    m_runDisplay = std::make_unique<WindowRunDisplay>(*TabReport, *spSkinStatusPanel1, *spProgressPanel, Timer1,
                                                      m_services.messages, *m_commands, m_services.memoryReserve,
                                                      [this](bool closeNow) { runEnded(closeNow); });
    m_run = std::make_unique<AnalysisRun>(m_tree, m_services.fileSystem, *m_runDisplay);
    // The grid sorts the tree in its own order as the run's update block closes; a sort by the
    // run first would be the same work twice.
    m_run->setSortOrder(SortKey::None, SortDirection::Descending);
    connectPages();

    // A failed settings write ends the creation steps; the window still opens.
    try {
        LoadSettings();
    } catch (const std::exception& error) {
        ShowErrorBox(m_services.messages, QString::fromStdString(error.what()));
        return;
    }
    TabAbout->setHomeUrl(HomeURL);

    const CommandLine line = ParseCommandLine(arguments);
    if (!line.options.importFile.empty()) {
        StartImport = line.options.importFile;
    } else if (!arguments.empty() && isScanExport(arguments.front())) {
        StartImport = arguments.front();
    } else if (!arguments.empty()) {
        const std::string folder = AbsolutePath(arguments.front());
        if (m_services.fileSystem.isFolder(folder)) {
            m_run->CurPath = folder;
            StartPath = folder;
            TabReport->showFolder(DecodeFileName(folder));
        } else {
            m_services.messages.show(QString::fromUtf8(MsgSelectFolder), QString::fromUtf8(MsgCaption),
                                     MessageIcon::Warning);
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
    RzToolbar1->setIconSize({32, 32});
    RzToolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // After the icon size, which resets the toolbar's minimum size.
    RzToolbar1->setFixedHeight(68);
    RzToolbar1->toggleViewAction()->setVisible(false);

    const auto addButton = [this](const QString& caption, const QString& name, Picture picture, auto handler) {
        auto* created = new ToolbarButton(caption, picture, RzToolbar1);
        created->setObjectName(name);
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
    connect(TabReport, &ReportPage::chooseFolderClicked, this, &TFormTallyvane::RzBtnDirectoryClick);
    connect(TabReport, &ReportPage::runClicked, this, &TFormTallyvane::BTNRunClick);
    connect(TabReport, &ReportPage::cancelClicked, this, &TFormTallyvane::BTNCancelClick);

    connect(TabOptions, &OptionsPage::autoAnalyzeClicked, this, [this] { guarded([this] { CBAutoClick(); }); });
    connect(TabOptions, &OptionsPage::columnClicked, this,
            [this](int column) { guarded([this, column] { CB1Click(SaveCodeOfColumn(column)); }); });
    connect(TabOptions, &OptionsPage::oneFileSystemClicked, this, [this] { guarded([this] { CBOneFileSystemClick(); }); });
    connect(TabOptions, &OptionsPage::hardLinksClicked, this, [this] { guarded([this] { CBHardLinksClick(); }); });
    connect(TabOptions, &OptionsPage::excludeEdited, this, [this] { guarded([this] { EDExcludeChange(); }); });
    connect(TabOptions, &OptionsPage::skinChosen, this,
            [this](int skin) { guarded([this, skin] { RadioButton1Click(skin); }); });
    connect(TabOptions, &OptionsPage::registerClicked, this, &TFormTallyvane::BTNAddRegClick);
    connect(TabOptions, &OptionsPage::unregisterClicked, this, &TFormTallyvane::BTNDelRegClick);

    connect(TabAbout, &AboutPage::linkActivated, this, [this](const QString& address) {
        if (m_services.desktop.openUrl(QUrl(address)))
            TabAbout->markVisited(address);
    });
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

template <typename Handler>
void TFormTallyvane::guarded(Handler handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        ShowErrorBox(m_services.messages, QString::fromStdString(error.what()));
    }
}

void TFormTallyvane::BTNRunClick()
{
    m_run->start();
}

void TFormTallyvane::runEnded(bool closeNow)
{
    if (RzPageControlMain->currentWidget() != TabReport)
        RzPageControlMain->setCurrentWidget(TabReport);
    if (closeNow) {
        m_closeAfterRun = true;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void TFormTallyvane::BTNCancelClick()
{
    m_run->cancel();
}

void TFormTallyvane::Timer1Timer()
{
    m_run->tick();
}

bool TFormTallyvane::FormCloseQuery()
{
    return m_run->closeQuery();
}

void TFormTallyvane::closeEvent(QCloseEvent* event)
{
    if (m_closeAfterRun && !m_run->isBusy()) {
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
    if (!StartImport.empty()) {
        QMetaObject::invokeMethod(this, [this, path = std::move(StartImport)] { importScan(path); },
                                  Qt::QueuedConnection);
        StartImport.clear();
        return;
    }
    if (StartPath.empty())
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
    const std::optional<QString> chosen = m_services.folderPicker.pickFolder(this, TabReport->folderText());
    if (!chosen)
        return;
    QCoreApplication::processEvents();
    const std::string folder = EncodeFileName(*chosen);
    if (!folder.empty() && m_services.fileSystem.isFolder(folder)) {
        if (Options.AutoAnalyze && m_run->refuseWhileBusy())
            return;
        chooseFolder(folder);
        if (Options.AutoAnalyze)
            BTNRunClick();
    } else {
        m_services.messages.show(QString::fromUtf8(MsgSelectFolder), QString::fromUtf8(MsgCaption),
                                 MessageIcon::Warning);
    }
}

void TFormTallyvane::chooseFolder(const std::string& path)
{
    m_run->CurPath = path;
    TabReport->showFolder(DecodeFileName(path));
}

bool TFormTallyvane::WMDropFiles(const std::vector<std::string>& droppedPaths)
{
    if (droppedPaths.empty())
        return false;
    const std::string& path = droppedPaths.front();
    if (!path.empty() && isScanExport(path)) {
        if (m_run->refuseWhileBusy())
            return false;
        QMetaObject::invokeMethod(this, [this, path] { importScan(path); }, Qt::QueuedConnection);
        return true;
    }
    if (path.empty() || !m_services.fileSystem.isFolder(path))
        return false;
    if (m_run->refuseWhileBusy())
        return false;
    m_run->CurPath = path;
    // The drop ends before the analysis starts, so the program that dragged is not kept waiting.
    QMetaObject::invokeMethod(this, &TFormTallyvane::BTNRunClick, Qt::QueuedConnection);
    return true;
}

void TFormTallyvane::importScan(const std::string& path)
{
    m_run->startImport(path);
}

bool TFormTallyvane::isScanExport(const std::string& path) const
{
    static constexpr std::string_view Suffix = ".json";
    if (path.size() <= Suffix.size() || m_services.fileSystem.isFolder(path) || !m_services.fileSystem.exists(path))
        return false;
    const std::string_view end = std::string_view(path).substr(path.size() - Suffix.size());
    return QLatin1StringView(end.data(), static_cast<qsizetype>(end.size())).compare(QLatin1StringView(".json"), Qt::CaseInsensitive) == 0;
}

namespace {

// Analysing a folder only reads it: a drop may copy or link, never move, or the program that
// dragged would take the item as gone and might delete it. Copy when offered, else link.
std::optional<Qt::DropAction> readingDropAction(const QDropEvent& event)
{
    if (!event.mimeData()->hasUrls())
        return std::nullopt;
    if (event.proposedAction() == Qt::CopyAction || event.proposedAction() == Qt::LinkAction)
        return event.proposedAction();
    if (event.possibleActions() & Qt::CopyAction)
        return Qt::CopyAction;
    if (event.possibleActions() & Qt::LinkAction)
        return Qt::LinkAction;
    return std::nullopt;
}

} // namespace

void TFormTallyvane::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void TFormTallyvane::dragMoveEvent(QDragMoveEvent* event)
{
    if (const std::optional<Qt::DropAction> action = readingDropAction(*event)) {
        event->setDropAction(*action);
        event->accept();
    } else {
        event->ignore();
    }
}

void TFormTallyvane::dropEvent(QDropEvent* event)
{
    const std::optional<Qt::DropAction> action = readingDropAction(*event);
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        paths.push_back(LocalFilePath(url).value_or(std::string()));
    // An ignored drop is refused, so the source is not told that anything happened to its item.
    if (action && WMDropFiles(paths)) {
        event->setDropAction(*action);
        event->accept();
    } else {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
    }
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
    m_commands->showInFileManager();
}

void TFormTallyvane::NOpenClick()
{
    m_commands->open();
}

void TFormTallyvane::NSerchClick()
{
    m_commands->search();
}

void TFormTallyvane::NPropertyClick()
{
    m_commands->showProperties();
}

void TFormTallyvane::NFindMaxClick()
{
    m_commands->FocusLargestFile(grid().FocusedEntry());
}

void TFormTallyvane::NExpClick()
{
    m_commands->expandAll();
}

void TFormTallyvane::NCollapseClick()
{
    m_commands->collapseAll();
}

void TFormTallyvane::NCountClick()
{
    m_commands->countRows();
}

void TFormTallyvane::Html1Click()
{
    m_commands->SaveReport(ReportFormat::Html);
}

void TFormTallyvane::Rtf1Click()
{
    m_commands->SaveReport(ReportFormat::Rtf);
}

void TFormTallyvane::Text1Click()
{
    m_commands->SaveReport(ReportFormat::Text);
}

void TFormTallyvane::BTNAddRegClick()
{
    FileManagerIntegration integration(m_services.dataHome);
    const RegistrationMessage message = RegisterFileManagerEntries(
        integration, windowTitle(), EncodeFileName(QCoreApplication::applicationFilePath()));
    m_services.messages.show(message.text, QString::fromUtf8(MsgCaption),
                             message.failure ? MessageIcon::Error : MessageIcon::Information);
}

void TFormTallyvane::BTNDelRegClick()
{
    FileManagerIntegration integration(m_services.dataHome);
    const RegistrationMessage message = UnregisterFileManagerEntries(integration);
    m_services.messages.show(message.text, QString::fromUtf8(MsgCaption),
                             message.failure ? MessageIcon::Error : MessageIcon::Information);
}

IniFile TFormTallyvane::settingsFile() const
{
    return IniFile(m_services.settingsPath);
}

void TFormTallyvane::LoadSettings()
{
    Options = Settings::load(settingsFile());
    for (int column = 1; column <= Settings::ColumnCount; ++column)
        grid().SetColumnVisible(column, Options.ColShow[column - 1]);
    m_skins.applySkin(Options.hasStoredSkin() ? Options.SkinNo : 1);

    // The page takes the settings without running its handlers; what their runs would have
    // written back, differing from the page as created, is written here in the same order.
    TabOptions->apply(Options);
    m_run->setScanOptions(Options.scanOptions());
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
    Options.AutoAnalyze = TabOptions->autoAnalyzeChecked();
    SaveSetting(SaveCodeAuto);
}

void TFormTallyvane::CB1Click(int tag)
{
    const int column = tag - 1;
    if (column >= 1 && column <= Settings::ColumnCount) {
        Options.ColShow[column - 1] = TabOptions->columnChecked(column);
        grid().SetColumnVisible(column, Options.ColShow[column - 1]);
    }
    SaveSetting(tag);
}

void TFormTallyvane::CBOneFileSystemClick()
{
    Options.OneFileSystem = TabOptions->oneFileSystemChecked();
    m_run->setScanOptions(Options.scanOptions());
    SaveSetting(SaveCodeOneFileSystem);
}

void TFormTallyvane::CBHardLinksClick()
{
    Options.HardLinksOnce = TabOptions->hardLinksOnceChecked();
    m_run->setScanOptions(Options.scanOptions());
    SaveSetting(SaveCodeHardLinks);
}

void TFormTallyvane::EDExcludeChange()
{
    Options.Exclude = TabOptions->excludeText();
    m_run->setScanOptions(Options.scanOptions());
    SaveSetting(SaveCodeExclude);
}

void TFormTallyvane::RadioButton1Click(int tag)
{
    if (SkinEngine::isSkin(tag))
        m_skins.applySkin(tag);
    Options.SkinNo = tag;
    SaveSetting(SaveCodeSkin);
}

} // namespace tallyvane

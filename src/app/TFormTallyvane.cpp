// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TFormTallyvane.h"

#include "app/AboutPage.h"
#include "app/ElidedLabel.h"
#include "app/FolderPicker.h"
#include "app/FormWidgets.h"
#include "app/OptionsPage.h"
#include "app/Pictures.h"
#include "app/ReportPage.h"
#include "app/MainToolbar.h"
#include "app/RunController.h"
#include "app/WindowRunDisplay.h"
#include "cli/ExportCommand.h"
#include "commands/EntryCommands.h"
#include "commands/FileManagerCommands.h"
#include "commands/MessageBoxes.h"
#include "platform/Desktop.h"
#include "platform/FileManagerIntegration.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "presentation/GridColumns.h"
#include "presentation/MessageTexts.h"
#include "views/GridFonts.h"
#include "views/ResultGrid.h"
#include "views/TImageListEx.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QStackedWidget>
#include <QStatusBar>
#include <QUrl>

#include <optional>

namespace tallyvane {

namespace {

// Where the toolbar's 升级 and 主页 lead.
const QString HomeUrl = QStringLiteral("https://www.tallyvane.example/");
const QString UpdateUrl = QStringLiteral("https://www.tallyvane.example/download/");

} // namespace

TFormTallyvane::TFormTallyvane(WindowServices services, Settings settings, const ExportOptions& commandLine,
                               QWidget* parent)
    : QMainWindow(parent), m_services(services), m_options(std::move(settings))
{
    setObjectName(QStringLiteral("FormTallyvane"));
    setWindowTitle(QStringLiteral("Tallyvane [Vantori]"));
    setWindowIcon(ProgramIcon());
    // The window's font is the application's: a skin applied while the window shows polishes
    // every widget again, and a widget that only inherited its font then falls back to the
    // application's. With one font in both places the skin looks the same at start and later.
    QApplication::setFont(GridFont());
    setFont(GridFont());
    FormCreate(commandLine);
}

TFormTallyvane::~TFormTallyvane()
{
    // The pages, the search window and the properties dialogs show the tree, a member that goes
    // before the base class would delete them.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

ResultGrid& TFormTallyvane::grid()
{
    return m_reportPage->grid();
}

void TFormTallyvane::FormCreate(const ExportOptions& commandLine)
{
    setAcceptDrops(true);
    m_iconList = std::make_unique<TImageListEx>(m_services.systemIcons);
    m_toolbar = new MainToolbar(*this);
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("RzPageControlMain"));
    m_reportPage = new ReportPage(m_document, m_iconList.get(), m_services.volumes);
    m_optionsPage = new OptionsPage;
    m_aboutPage = new AboutPage;
    m_pages->addWidget(m_reportPage);
    m_pages->addWidget(m_optionsPage);
    m_pages->addWidget(m_aboutPage);
    buildPopupMenu();
    grid().setPopupMenu(m_popupMenu);
    setCentralWidget(m_pages);
    buildStatusBar();
    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &TFormTallyvane::Timer1Timer);

    m_commands = std::make_unique<EntryCommands>(
        grid(), CommandServices{m_services.desktop, m_services.fileFacts, m_services.messages, m_services.saveDialog},
        this);
    m_runDisplay = std::make_unique<WindowRunDisplay>(*m_reportPage, m_document, *m_statusPanel, *m_progressPanel,
                                                      Timer1, m_services.messages);
    m_run = new RunController(m_document, m_services.fileSystem, *m_runDisplay, m_services.memoryReserve, this);
    connect(m_run, &RunController::runEnded, this, &TFormTallyvane::runEnded);
    connectPages();

    // A failed settings write ends the creation steps; the window still opens.
    try {
        applySettings();
    } catch (const std::exception& error) {
        ShowErrorBox(m_services.messages, QString::fromStdString(error.what()));
        return;
    }
    m_aboutPage->setHomeUrl(HomeUrl);
    takeCommandLine(commandLine);
    m_toolbar->showVersion();
}

void TFormTallyvane::takeCommandLine(const ExportOptions& commandLine)
{
    m_commandLineScan = commandLine.scan;
    m_run->setScanOptions(MergedScanOptions(m_options.scanOptions(), m_commandLineScan));
    if (!commandLine.importFile.empty()) {
        m_startImport = commandLine.importFile;
    } else if (!commandLine.folder.empty() && isScanExport(commandLine.folder)) {
        m_startImport = commandLine.folder;
    } else if (!commandLine.folder.empty()) {
        const std::string folder = AbsolutePath(commandLine.folder);
        if (m_services.fileSystem.isFolder(folder)) {
            m_run->setFolder(folder);
            m_startPath = folder;
            m_reportPage->showFolder(DecodeFileName(folder));
        } else {
            m_services.messages.show(QString::fromUtf8(MsgSelectFolder), QString::fromUtf8(MsgCaption),
                                     MessageIcon::Warning);
        }
    }
}

void TFormTallyvane::buildStatusBar()
{
    m_statusPanel = new ElidedLabel(this);
    m_statusPanel->setObjectName(QStringLiteral("spSkinStatusPanel1"));
    statusBar()->setObjectName(QStringLiteral("AppStatusBar"));
    statusBar()->setFixedHeight(21);
    statusBar()->setSizeGripEnabled(true);
    m_progressPanel = new QLabel(this);
    m_progressPanel->setObjectName(QStringLiteral("spProgressPanel"));
    statusBar()->addWidget(m_progressPanel);
    statusBar()->addWidget(m_statusPanel, 1);
    connect(&grid(), &ResultGrid::statusTextChanged, m_statusPanel, &QLabel::setText);
    connect(m_reportPage, &ReportPage::treemapHovered, this, [this](EntryId entry) {
        if (entry != NoEntry)
            m_statusPanel->setText(EntryStatusText(m_document.tree(), entry));
    });
}

void TFormTallyvane::connectPages()
{
    connect(m_toolbar, &MainToolbar::analysisClicked, this, &TFormTallyvane::TBAnalysisClick);
    connect(m_toolbar, &MainToolbar::optionsClicked, this, &TFormTallyvane::TBOptionsClick);
    connect(m_toolbar, &MainToolbar::aboutClicked, this, &TFormTallyvane::TBAboutClick);
    connect(m_toolbar, &MainToolbar::helpClicked, this, &TFormTallyvane::BTNHelpClick);
    connect(m_toolbar, &MainToolbar::updateClicked, this, &TFormTallyvane::BTNUpdateClick);
    connect(m_toolbar, &MainToolbar::homePageClicked, this, &TFormTallyvane::BTNHomePageClick);
    connect(m_toolbar, &MainToolbar::exitClicked, this, &TFormTallyvane::TBExitClick);

    connect(m_reportPage, &ReportPage::chooseFolderClicked, this, &TFormTallyvane::RzBtnDirectoryClick);
    connect(m_reportPage, &ReportPage::runClicked, this, &TFormTallyvane::BTNRunClick);
    connect(m_reportPage, &ReportPage::cancelClicked, this, &TFormTallyvane::BTNCancelClick);

    connect(m_optionsPage, &OptionsPage::autoAnalyzeClicked, this, [this] { guarded([this] { CBAutoClick(); }); });
    connect(m_optionsPage, &OptionsPage::columnClicked, this,
            [this](int column) { guarded([this, column] { CB1Click(SaveCodeOfColumn(column)); }); });
    connect(m_optionsPage, &OptionsPage::oneFileSystemClicked, this,
            [this] { guarded([this] { scanOptionChanged(SaveCodeOneFileSystem); }); });
    connect(m_optionsPage, &OptionsPage::hardLinksClicked, this,
            [this] { guarded([this] { scanOptionChanged(SaveCodeHardLinks); }); });
    connect(m_optionsPage, &OptionsPage::excludeEdited, this,
            [this] { guarded([this] { scanOptionChanged(SaveCodeExclude); }); });
    connect(m_optionsPage, &OptionsPage::skinChosen, this,
            [this](int skin) { guarded([this, skin] { RadioButton1Click(skin); }); });
    connect(m_optionsPage, &OptionsPage::registerClicked, this, &TFormTallyvane::BTNAddRegClick);
    connect(m_optionsPage, &OptionsPage::unregisterClicked, this, &TFormTallyvane::BTNDelRegClick);

    connect(m_aboutPage, &AboutPage::linkActivated, this, [this](const QString& address) {
        if (m_services.desktop.openUrl(QUrl(address)))
            m_aboutPage->markVisited(address);
    });
}

void TFormTallyvane::buildPopupMenu()
{
    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("PmTree"));
    const auto item = [this](QMenu* menu, const QString& caption, const QString& name, void (TFormTallyvane::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    item(m_popupMenu, QStringLiteral("资源管理器(&X)"), QStringLiteral("NRM"), &TFormTallyvane::NRMClick);
    item(m_popupMenu, QStringLiteral("打开(&O)"), QStringLiteral("NOpen"), &TFormTallyvane::NOpenClick);
    item(m_popupMenu, QStringLiteral("搜索(&S)..."), QStringLiteral("NSerch"), &TFormTallyvane::NSerchClick);
    item(m_popupMenu, QStringLiteral("属性(&R)"), QStringLiteral("NProperty"), &TFormTallyvane::NPropertyClick);
    m_popupMenu->addSeparator();
    item(m_popupMenu, QStringLiteral("当前文件夹内最大文件(&M)"), QStringLiteral("NFindMax"), &TFormTallyvane::NFindMaxClick);
    m_popupMenu->addSeparator();
    item(m_popupMenu, QStringLiteral("当前文件夹全部展开(&E)"), QStringLiteral("NExp"), &TFormTallyvane::NExpClick);
    item(m_popupMenu, QStringLiteral("当前文件夹全部收起(&C)"), QStringLiteral("NCollapse"), &TFormTallyvane::NCollapseClick);
    m_popupMenu->addSeparator();
    item(m_popupMenu, QStringLiteral("行数(&N)"), QStringLiteral("NCount"), &TFormTallyvane::NCountClick);
    QMenu* exports = m_popupMenu->addMenu(QStringLiteral("导出"));
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
    if (m_pages->currentWidget() != m_reportPage)
        m_pages->setCurrentWidget(m_reportPage);
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
    if (!m_startImport.empty()) {
        QMetaObject::invokeMethod(this, [this, path = std::move(m_startImport)] { m_run->startImport(path); },
                                  Qt::QueuedConnection);
        m_startImport.clear();
        return;
    }
    if (m_startPath.empty())
        return;
    m_startPath.clear();
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
    const std::optional<QString> chosen = m_services.folderPicker.pickFolder(this, m_reportPage->folderText());
    if (!chosen)
        return;
    const std::string folder = EncodeFileName(*chosen);
    if (!folder.empty() && m_services.fileSystem.isFolder(folder)) {
        if (m_options.AutoAnalyze && m_run->refuseWhileBusy())
            return;
        chooseFolder(folder);
        if (m_options.AutoAnalyze)
            BTNRunClick();
    } else {
        m_services.messages.show(QString::fromUtf8(MsgSelectFolder), QString::fromUtf8(MsgCaption),
                                 MessageIcon::Warning);
    }
}

void TFormTallyvane::chooseFolder(const std::string& path)
{
    m_run->setFolder(path);
    m_reportPage->showFolder(DecodeFileName(path));
}

bool TFormTallyvane::WMDropFiles(const std::vector<std::string>& droppedPaths)
{
    if (droppedPaths.empty())
        return false;
    const std::string& path = droppedPaths.front();
    if (!path.empty() && isScanExport(path)) {
        if (m_run->refuseWhileBusy())
            return false;
        QMetaObject::invokeMethod(this, [this, path] { m_run->startImport(path); }, Qt::QueuedConnection);
        return true;
    }
    if (path.empty() || !m_services.fileSystem.isFolder(path))
        return false;
    if (m_run->refuseWhileBusy())
        return false;
    m_run->setFolder(path);
    // The drop ends before the analysis starts, so the program that dragged is not kept waiting.
    QMetaObject::invokeMethod(this, &TFormTallyvane::BTNRunClick, Qt::QueuedConnection);
    return true;
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
    m_pages->setCurrentWidget(m_reportPage);
}

void TFormTallyvane::TBOptionsClick()
{
    m_pages->setCurrentWidget(m_optionsPage);
}

void TFormTallyvane::TBAboutClick()
{
    m_pages->setCurrentWidget(m_aboutPage);
}

void TFormTallyvane::BTNHelpClick()
{
    m_services.desktop.openUrl(QUrl::fromLocalFile(m_services.helpPath));
}

void TFormTallyvane::BTNUpdateClick()
{
    m_services.desktop.openUrl(QUrl(UpdateUrl));
}

void TFormTallyvane::BTNHomePageClick()
{
    m_services.desktop.openUrl(QUrl(HomeUrl));
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

void TFormTallyvane::applySettings()
{
    for (int column = 1; column <= Settings::ColumnCount; ++column)
        grid().SetColumnVisible(column, m_options.ColShow[column - 1]);
    m_skins.applySkin(m_options.hasStoredSkin() ? m_options.SkinNo : 1);

    // The page takes the settings without running its handlers; what their runs would have
    // written back, differing from the page as created, is written here in the same order.
    m_optionsPage->apply(m_options);
    for (const int code : m_options.startWriteBacks())
        SaveSetting(code);
}

void TFormTallyvane::SaveSetting(int code)
{
    IniFile file = settingsFile();
    m_options.save(file, code);
}

void TFormTallyvane::CBAutoClick()
{
    m_options.AutoAnalyze = m_optionsPage->autoAnalyzeChecked();
    SaveSetting(SaveCodeAuto);
}

void TFormTallyvane::CB1Click(int tag)
{
    const int column = tag - 1;
    if (column >= 1 && column <= Settings::ColumnCount) {
        m_options.ColShow[column - 1] = m_optionsPage->columnChecked(column);
        grid().SetColumnVisible(column, m_options.ColShow[column - 1]);
    }
    SaveSetting(tag);
}

void TFormTallyvane::scanOptionChanged(int code)
{
    m_options.OneFileSystem = m_optionsPage->oneFileSystemChecked();
    m_options.HardLinksOnce = m_optionsPage->hardLinksOnceChecked();
    m_options.Exclude = m_optionsPage->excludeText();
    m_run->setScanOptions(MergedScanOptions(m_options.scanOptions(), m_commandLineScan));
    SaveSetting(code);
}

void TFormTallyvane::RadioButton1Click(int tag)
{
    if (SkinEngine::isSkin(tag))
        m_skins.applySkin(tag);
    m_options.SkinNo = tag;
    SaveSetting(SaveCodeSkin);
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TFormTallyvane.h"

#include "app/AboutPage.h"
#include "app/ElidedLabel.h"
#include "app/EntryMenu.h"
#include "app/FolderPicker.h"
#include "app/FormWidgets.h"
#include "app/MainToolbar.h"
#include "app/OptionsController.h"
#include "app/OptionsPage.h"
#include "app/Pictures.h"
#include "app/ReadingDrop.h"
#include "app/ReportPage.h"
#include "app/RunController.h"
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
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QStatusBar>
#include <QUrl>

#include <optional>
#include <utility>

namespace tallyvane {

namespace {

// Where the toolbar's 升级 and 主页 lead.
const QString HomeUrl = QStringLiteral("https://www.tallyvane.example/");
const QString UpdateUrl = QStringLiteral("https://www.tallyvane.example/download/");

} // namespace

TFormTallyvane::TFormTallyvane(WindowServices services, Settings settings, const ExportOptions& commandLine,
                               QWidget* parent)
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
    FormCreate(std::move(settings), commandLine);
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

const Settings& TFormTallyvane::options() const
{
    return m_options->settings();
}

void TFormTallyvane::FormCreate(Settings settings, const ExportOptions& commandLine)
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
    m_popupMenu = MakeEntryMenu(this, [this](EntryMenuItem item) { runMenuItem(item); });
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
    m_options = std::make_unique<OptionsController>(std::move(settings), m_services.settingsPath, *m_optionsPage,
                                                    grid(), *m_run);
    connectPages();

    // A failed settings write ends the creation steps; the window still opens.
    try {
        m_options->apply();
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
    m_options->addCommandLineScanOptions(commandLine.scan);
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

    OptionsController* options = m_options.get();
    connect(m_optionsPage, &OptionsPage::autoAnalyzeClicked, this,
            [=, this] { guarded([&] { options->CBAutoClick(); }); });
    connect(m_optionsPage, &OptionsPage::columnClicked, this,
            [=, this](int column) { guarded([&] { options->CB1Click(SaveCodeOfColumn(column)); }); });
    for (const auto& [changed, code] : {std::pair{&OptionsPage::oneFileSystemClicked, SaveCodeOneFileSystem},
                                        std::pair{&OptionsPage::hardLinksClicked, SaveCodeHardLinks},
                                        std::pair{&OptionsPage::excludeEdited, SaveCodeExclude}}) {
        connect(m_optionsPage, changed, this,
                [=, this, code = code] { guarded([&] { options->scanOptionChanged(code); }); });
    }
    connect(m_optionsPage, &OptionsPage::skinChosen, this,
            [=, this](int skin) { guarded([&] { options->RadioButton1Click(skin); }); });
    connect(m_optionsPage, &OptionsPage::registerClicked, this, &TFormTallyvane::BTNAddRegClick);
    connect(m_optionsPage, &OptionsPage::unregisterClicked, this, &TFormTallyvane::BTNDelRegClick);

    connect(m_aboutPage, &AboutPage::linkActivated, this, [this](const QString& address) {
        if (m_services.desktop.openUrl(QUrl(address)))
            m_aboutPage->markVisited(address);
    });
}

void TFormTallyvane::runMenuItem(EntryMenuItem item)
{
    using enum EntryMenuItem;
    static constexpr std::pair<EntryMenuItem, void (TFormTallyvane::*)()> handlers[] = {
        {ShowInFileManager, &TFormTallyvane::NRMClick}, {Open, &TFormTallyvane::NOpenClick},
        {Search, &TFormTallyvane::NSerchClick},         {Properties, &TFormTallyvane::NPropertyClick},
        {LargestFile, &TFormTallyvane::NFindMaxClick},  {ExpandAll, &TFormTallyvane::NExpClick},
        {CollapseAll, &TFormTallyvane::NCollapseClick}, {CountRows, &TFormTallyvane::NCountClick},
        {ExportHtml, &TFormTallyvane::Html1Click},      {ExportRtf, &TFormTallyvane::Rtf1Click},
        {ExportText, &TFormTallyvane::Text1Click},
    };
    for (const auto& [which, handler] : handlers) {
        if (which == item)
            guarded([this, handler] { (this->*handler)(); });
    }
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
        QMetaObject::invokeMethod(
            this, [this, path = std::move(m_startImport)] { m_run->startImport(path); }, Qt::QueuedConnection);
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
        if (m_options->settings().AutoAnalyze && m_run->refuseWhileBusy())
            return;
        chooseFolder(folder);
        if (m_options->settings().AutoAnalyze)
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
        QMetaObject::invokeMethod(
            this, [this, path] { m_run->startImport(path); }, Qt::QueuedConnection);
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
    return QLatin1StringView(end.data(), static_cast<qsizetype>(end.size()))
               .compare(QLatin1StringView(".json"), Qt::CaseInsensitive)
        == 0;
}

void TFormTallyvane::dragEnterEvent(QDragEnterEvent* event)
{
    OfferReadingDrop(*event);
}

void TFormTallyvane::dragMoveEvent(QDragMoveEvent* event)
{
    OfferReadingDrop(*event);
}

void TFormTallyvane::dropEvent(QDropEvent* event)
{
    TakeReadingDrop(*event, [this](const std::vector<std::string>& paths) { return WMDropFiles(paths); });
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
    const RegistrationMessage message =
        RegisterFileManagerEntries(integration, windowTitle(), EncodeFileName(QCoreApplication::applicationFilePath()));
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

} // namespace tallyvane

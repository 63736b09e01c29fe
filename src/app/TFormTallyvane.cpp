// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TFormTallyvane.h"

#include "analysis/FolderComposition.h"
#include "analysis/FolderScan.h"
#include "app/ElapsedTime.h"
#include "app/FolderPicker.h"
#include "app/MessageBoxes.h"
#include "app/Pictures.h"
#include "app/SaveDialog.h"
#include "app/Version.h"
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

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace tallyvane {

// Keeps the window alive during a scan: the scan calls the pump once per record, and the pump
// processes the window's messages when it last did so more than a moment ago, then shows the
// entries found and the folder being read as they are at that moment.
class TFormTallyvane::ScanProgress final : public ScanHost {
public:
    static constexpr int PumpInterval = 15; // milliseconds

    explicit ScanProgress(TFormTallyvane& form) : m_form(form) { m_sincePump.start(); }

    void pumpMessages() override
    {
        if (m_sincePump.elapsed() < PumpInterval)
            return;
        publish();
        QCoreApplication::processEvents();
        m_sincePump.restart();
    }
    bool stopRequested() const override { return m_form.StopFlag == 1; }
    void folderEntered(const EntryTree& tree, EntryId folder) override
    {
        m_tree = &tree;
        m_folder = folder;
    }
    void entryCounted(std::uint32_t scanCount) override { m_form.ScanCount = static_cast<std::int32_t>(scanCount); }
    void scanFinished() override { publish(); }

private:
    void publish()
    {
        if (m_form.ScanCount != m_shownCount) {
            m_shownCount = m_form.ScanCount;
            m_form.Label9->setText(QString::number(m_shownCount));
        }
        if (m_tree && m_folder != m_shownFolder) {
            m_shownFolder = m_folder;
            m_form.spSkinStatusPanel1->setText(DecodeFileName(m_tree->EntryPath(m_folder)));
        }
    }

    TFormTallyvane& m_form;
    QElapsedTimer m_sincePump;
    const EntryTree* m_tree = nullptr;
    EntryId m_folder = NoEntry;
    EntryId m_shownFolder = NoEntry;
    std::int32_t m_shownCount = 0;
};

namespace {

QLabel* label(const QString& text, QWidget* parent, const QString& name = {})
{
    auto* created = new QLabel(text, parent);
    if (!name.isEmpty())
        created->setObjectName(name);
    return created;
}

QPushButton* button(const QString& text, const QString& name, QWidget* parent)
{
    auto* created = new QPushButton(text, parent);
    created->setObjectName(name);
    return created;
}

QFont boldFont(int points)
{
    QFont font;
    font.setBold(true);
    font.setPointSize(points);
    return font;
}

} // namespace

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
    RzPageControlMain->addWidget(buildReportPage());
    RzPageControlMain->addWidget(buildOptionsPage());
    RzPageControlMain->addWidget(buildAboutPage());
    setCentralWidget(RzPageControlMain);
    spSkinStatusPanel1 = label({}, this, QStringLiteral("spSkinStatusPanel1"));
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
    RzURLLabel4->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(HomeURL.toHtmlEscaped()));
    RzURLLabel4->setToolTip(HomeURL);

    if (!arguments.isEmpty()) {
        const QString folder = arguments.constFirst();
        if (m_services.fileSystem.isFolder(EncodeFileName(folder))) {
            CurPath = folder;
            StartPath = folder;
            LabCur->setText(folder);
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
    LabVer = label(QStringLiteral("版本 $V$"), RzToolbar1, QStringLiteral("LabVer"));
    LabVer->setFixedWidth(82);
    LabVer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    RzToolbar1->addWidget(LabVer);
}

QWidget* TFormTallyvane::buildReportPage()
{
    TabReport = new QWidget;
    TabReport->setObjectName(QStringLiteral("TabReport"));
    auto* page = new QVBoxLayout(TabReport);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);

    auto* panel = new QWidget(TabReport);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedHeight(104);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 8, 0);

    auto* pictures = new QStackedLayout;
    ImageScan = label({}, panel, QStringLiteral("ImageScan"));
    ImageScan->setPixmap(ScanPicture(100));
    ImageScan->setFixedSize(104, 104);
    ImageScan->setAlignment(Qt::AlignCenter);
    cxImgScan = new ScanAnimation(panel);
    cxImgScan->setObjectName(QStringLiteral("cxImgScan"));
    pictures->addWidget(ImageScan);
    pictures->addWidget(cxImgScan);
    cxImgScan->hide();
    row->addLayout(pictures);

    auto* facts = new QGridLayout;
    facts->setVerticalSpacing(4);
    LabCur = label({}, panel, QStringLiteral("LabCur"));
    LabCur->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label9 = label(QStringLiteral("0"), panel, QStringLiteral("Label9"));
    Label10 = label(QStringLiteral("0"), panel, QStringLiteral("Label10"));
    Label13 = label({}, panel, QStringLiteral("Label13"));
    facts->addWidget(label(QStringLiteral("路径："), panel), 0, 0);
    facts->addWidget(LabCur, 0, 1, 1, 3);
    facts->addWidget(label(QStringLiteral("已扫描文件："), panel), 1, 0);
    facts->addWidget(Label9, 1, 1);
    facts->addWidget(label(QStringLiteral("扫描时间："), panel), 1, 2);
    facts->addWidget(Label10, 1, 3);
    facts->addWidget(label(QStringLiteral("扫描状态："), panel), 2, 0);
    facts->addWidget(Label13, 2, 1, 1, 3);
    auto* hint = label(QStringLiteral("支持文件夹拖放，您可以把文件夹或磁盘拖入本程序进行分析！"), panel);
    // Its own sheet: the skins colour labels through theirs, which a palette cannot beat.
    hint->setStyleSheet(QStringLiteral("color: #000080;"));
    facts->addWidget(hint, 3, 0, 1, 4);
    facts->setColumnStretch(1, 1);
    facts->setColumnStretch(3, 1);
    row->addLayout(facts, 1);

    auto* buttons = new QVBoxLayout;
    RzBtnDirectory = button(QStringLiteral("选择目录"), QStringLiteral("RzBtnDirectory"), panel);
    RzBtnDirectory->setToolTip(QStringLiteral("点击按钮，选择目录"));
    BTNRun = button(QStringLiteral("分析"), QStringLiteral("BTNRun"), panel);
    BTNCancel = button(QStringLiteral("取消"), QStringLiteral("BTNCancel"), panel);
    BTNCancel->hide();
    buttons->addStretch();
    buttons->addWidget(RzBtnDirectory);
    buttons->addWidget(BTNRun);
    buttons->addWidget(BTNCancel);
    buttons->addStretch();
    row->addLayout(buttons);
    connect(RzBtnDirectory, &QPushButton::clicked, this, &TFormTallyvane::RzBtnDirectoryClick);
    connect(BTNRun, &QPushButton::clicked, this, &TFormTallyvane::BTNRunClick);
    connect(BTNCancel, &QPushButton::clicked, this, &TFormTallyvane::BTNCancelClick);
    page->addWidget(panel);

    RzPageControl1 = new QTabWidget(TabReport);
    RzPageControl1->setObjectName(QStringLiteral("RzPageControl1"));
    vts = new ResultGrid(IconList.get());
    buildPopupMenu();
    vts->setPopupMenu(PmTree);
    ChartDict = new PieChart(FolderChartStyle());
    ChartDict->setObjectName(QStringLiteral("ChartDict"));
    Summary = new VolumeSummaryPage(m_services.volumes);
    Summary->setObjectName(QStringLiteral("TabSummary"));
    RzPageControl1->addTab(vts, QStringLiteral("网格"));
    RzPageControl1->addTab(ChartDict, QStringLiteral("饼图"));
    RzPageControl1->addTab(Summary, QStringLiteral("摘要"));
    page->addWidget(RzPageControl1, 1);
    return TabReport;
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

QWidget* TFormTallyvane::buildOptionsPage()
{
    TabOptions = new QWidget;
    TabOptions->setObjectName(QStringLiteral("TabOptions"));
    auto* page = new QVBoxLayout(TabOptions);

    const auto strip = [this](const QString& text, Picture picture) {
        auto* header = new QWidget(TabOptions);
        header->setFixedHeight(41);
        auto* layout = new QHBoxLayout(header);
        auto* icon = new QLabel(header);
        icon->setPixmap(ToolbarPicture(picture, 24));
        layout->addWidget(icon);
        auto* caption = new QLabel(text, header);
        caption->setFont(boldFont(10));
        layout->addWidget(caption, 1);
        return header;
    };
    page->addWidget(strip(QStringLiteral("参数设置"), Picture::Options));

    auto* general = new QWidget(TabOptions);
    general->setFixedHeight(160);
    auto* generalLayout = new QVBoxLayout(general);
    CBAuto = new QCheckBox(QStringLiteral("目录选中后自动进行分析"), general);
    CBAuto->setObjectName(QStringLiteral("CBAuto"));
    CBAuto->setChecked(true);
    connect(CBAuto, &QCheckBox::clicked, this, [this] { guarded([this] { CBAutoClick(); }); });
    generalLayout->addWidget(CBAuto);
    auto* columns = new QGroupBox(QStringLiteral("表格显示的列"), general);
    auto* columnsLayout = new QGridLayout(columns);
    const QString captions[] = {QStringLiteral("大小(字节)"),     QStringLiteral("大小"),
                                QStringLiteral("文件夹内%"),      QStringLiteral("文件夹内比例图"),
                                QStringLiteral("总%"),            QStringLiteral("总比例图")};
    for (int k = 0; k < 6; ++k) {
        CB[k] = new QCheckBox(captions[k], columns);
        CB[k]->setObjectName(QStringLiteral("CB%1").arg(k + 1));
        CB[k]->setChecked(true);
        columnsLayout->addWidget(CB[k], k / 3, k % 3);
        connect(CB[k], &QCheckBox::clicked, this, [this, k] { guarded([this, k] { CB1Click(k + 2); }); });
    }
    generalLayout->addWidget(columns);
    auto* registration = new QHBoxLayout;
    BTNAddReg = button(QStringLiteral("注册系统右键"), QStringLiteral("BTNAddReg"), general);
    BTNDelReg = button(QStringLiteral("删除系统右键"), QStringLiteral("BTNDelReg"), general);
    registration->addWidget(BTNAddReg);
    registration->addWidget(BTNDelReg);
    connect(BTNAddReg, &QPushButton::clicked, this, &TFormTallyvane::BTNAddRegClick);
    connect(BTNDelReg, &QPushButton::clicked, this, &TFormTallyvane::BTNDelRegClick);
    registration->addStretch();
    generalLayout->addLayout(registration);
    page->addWidget(general);

    page->addWidget(strip(QStringLiteral("皮肤选择"), Picture::About));
    auto* skins = new QWidget(TabOptions);
    auto* skinsLayout = new QGridLayout(skins);
    auto* skinGroup = new QButtonGroup(this);
    for (int k = 0; k < 6; ++k) {
        auto* preview = new QLabel(skins);
        preview->setObjectName(QStringLiteral("SkinPreview%1").arg(k + 1));
        preview->setFixedSize(SkinEngine::PreviewSize);
        preview->setPixmap(SkinEngine::renderPreview(k + 1));
        RadioButton[k] = new QRadioButton(SkinEngine::skinName(k + 1), skins);
        RadioButton[k]->setObjectName(QStringLiteral("RadioButton%1").arg(k + 1));
        skinGroup->addButton(RadioButton[k], k + 1);
        skinsLayout->addWidget(preview, (k / 3) * 2, k % 3, Qt::AlignCenter);
        skinsLayout->addWidget(RadioButton[k], (k / 3) * 2 + 1, k % 3, Qt::AlignCenter);
    }
    RadioButton[0]->setChecked(true);
    // Choosing a skin runs only when the choice changes.
    for (int k = 0; k < 6; ++k) {
        connect(RadioButton[k], &QRadioButton::toggled, this, [this, k](bool on) {
            if (on)
                guarded([this, k] { RadioButton1Click(k + 1); });
        });
    }
    page->addWidget(skins, 1);
    return TabOptions;
}

QWidget* TFormTallyvane::buildAboutPage()
{
    TabAbout = new QWidget;
    TabAbout->setObjectName(QStringLiteral("TabAbout"));
    auto* layout = new QGridLayout(TabAbout);
    auto* icon = new QLabel(TabAbout);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    Label1 = label(QStringLiteral("Tallyvane"), TabAbout, QStringLiteral("Label1"));
    Label1->setFont(boldFont(12));
    auto* subtitle = label(QStringLiteral("Vantori"), TabAbout, QStringLiteral("Label2"));
    subtitle->setFont(boldFont(10));
    layout->addWidget(Label1, 0, 1, 1, 2);
    layout->addWidget(subtitle, 1, 1, 1, 2);
    const auto link = [this](const QString& name) {
        auto* created = label({}, TabAbout, name);
        created->setTextFormat(Qt::RichText);
        created->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        connect(created, &QLabel::linkActivated, this,
                [this](const QString& address) { m_services.desktop.openUrl(QUrl(address)); });
        return created;
    };
    RzURLLabel4 = link(QStringLiteral("RzURLLabel4"));
    const QString mail = QStringLiteral("support@tallyvane.example");
    QLabel* mailLink = link(QStringLiteral("RzURLLabel1"));
    mailLink->setText(QStringLiteral("<a href=\"mailto:%1\">%1</a>").arg(mail));
    layout->addWidget(label(QStringLiteral("主页:"), TabAbout), 2, 1);
    layout->addWidget(RzURLLabel4, 2, 2);
    layout->addWidget(label(QStringLiteral("邮件:"), TabAbout), 3, 1);
    layout->addWidget(mailLink, 3, 2);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(4, 1);
    return TabAbout;
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
        Label13->clear();
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

    Label13->setText(MsgScanning);
    Summary->ShowVolumeSummary({});
    ImageScan->hide();
    cxImgScan->show();
    BTNCancel->show();
    BTNRun->setEnabled(false);
    // Reset before the pump below, so that a Cancel handled in it is not lost.
    StopFlag = 0;
    Label9->setText(QStringLiteral("0"));
    Label10->setText(QStringLiteral("0"));
    QCoreApplication::processEvents();
    ScanCount = 0;
    TimeCount = 0;
    Timer1.start();
    Summary->ShowVolumeSummary(CurPath);
    AnalyzeFolder(CurPath);
    Label13->setText(StopFlag == 0 ? MsgDone : MsgCancelled);
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
        ScanProgress progress(*this);
        FolderScanner scanner(vts->tree(), m_services.fileSystem, progress);
        scanner.ScanFolder(EncodeFileName(scanPath), NoEntry);
    } catch (...) {
        // In practice memory ran out: what was found is dropped, the run goes on.
        vts->ClearEntries();
        m_services.messages.show(MsgScanError + scanPath, MsgCaption, MessageIcon::Error);
    }

    EntryTree& tree = vts->tree();
    if (const EntryId root = tree.FirstEntry(); root != NoEntry) {
        ShowFolderChart(*ChartDict, tree, root);
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
    cxImgScan->hide();
    ImageScan->show();
    BTNCancel->hide();
    BTNRun->setEnabled(true);
}

void TFormTallyvane::Timer1Timer()
{
    ++TimeCount;
    Label10->setText(ElapsedTimeText(TimeCount, MsgMinutes, MsgSeconds));
}

bool TFormTallyvane::FormCloseQuery()
{
    if (BTNRun->isEnabled() || BTNCancel->isHidden()) {
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
    const std::optional<QString> chosen = m_services.folderPicker.pickFolder(this, LabCur->text());
    if (!chosen)
        return;
    QCoreApplication::processEvents();
    if (!chosen->isEmpty() && m_services.fileSystem.isFolder(EncodeFileName(*chosen))) {
        if (Options.AutoAnalyze && refuseWhileScanning())
            return;
        CurPath = *chosen;
        LabCur->setText(*chosen);
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
        const QSignalBlocker blockAuto(CBAuto);
        CBAuto->setChecked(Options.AutoAnalyze);
    }
    for (int k = 0; k < 6; ++k) {
        const QSignalBlocker blockColumn(CB[k]);
        CB[k]->setChecked(Options.ColShow[k]);
    }
    if (Options.hasStoredSkin()) {
        const QSignalBlocker blockSkin(RadioButton[Options.SkinNo - 1]);
        RadioButton[Options.SkinNo - 1]->setChecked(true);
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
    Options.AutoAnalyze = CBAuto->isChecked();
    SaveSetting(SaveCodeAuto);
}

void TFormTallyvane::CB1Click(int tag)
{
    const int column = tag - 1;
    if (column >= 1 && column <= 6) {
        Options.ColShow[column - 1] = CB[column - 1]->isChecked();
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReportPage.h"

#include "app/ElidedLabel.h"
#include "app/FormWidgets.h"
#include "app/Pictures.h"
#include "views/EntryModel.h"
#include "views/PieChart.h"
#include "views/ResultGrid.h"
#include "views/TreemapView.h"
#include "views/VolumeSummaryPage.h"

#include <QGridLayout>
#include <QStackedLayout>
#include <QTabWidget>

namespace tallyvane {

ReportPage::ReportPage(EntryDocument& document, TImageListEx* icons, VolumeQueries& volumes, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TabReport"));
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedHeight(104);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 8, 0);

    auto* pictures = new QStackedLayout;
    ImageScan = MakeLabel({}, panel, QStringLiteral("ImageScan"));
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
    LabCur = new ElidedLabel(panel);
    LabCur->setObjectName(QStringLiteral("LabCur"));
    Label9 = MakeLabel(QStringLiteral("0"), panel, QStringLiteral("Label9"));
    Label10 = MakeLabel(QStringLiteral("0"), panel, QStringLiteral("Label10"));
    Label13 = MakeLabel({}, panel, QStringLiteral("Label13"));
    facts->addWidget(MakeLabel(QStringLiteral("路径："), panel), 0, 0);
    facts->addWidget(LabCur, 0, 1, 1, 3);
    facts->addWidget(MakeLabel(QStringLiteral("已扫描文件："), panel), 1, 0);
    facts->addWidget(Label9, 1, 1);
    facts->addWidget(MakeLabel(QStringLiteral("扫描时间："), panel), 1, 2);
    facts->addWidget(Label10, 1, 3);
    facts->addWidget(MakeLabel(QStringLiteral("扫描状态："), panel), 2, 0);
    facts->addWidget(Label13, 2, 1, 1, 3);
    auto* hint = MakeLabel(QStringLiteral("支持文件夹拖放，您可以把文件夹或磁盘拖入本程序进行分析！"), panel);
    // Its own sheet: the skins colour labels through theirs, which a palette cannot beat.
    hint->setStyleSheet(QStringLiteral("color: #000080;"));
    facts->addWidget(hint, 3, 0, 1, 4);
    facts->setColumnStretch(1, 1);
    facts->setColumnStretch(3, 1);
    row->addLayout(facts, 1);

    auto* buttons = new QVBoxLayout;
    RzBtnDirectory = MakeButton(QStringLiteral("选择目录"), QStringLiteral("RzBtnDirectory"), panel);
    RzBtnDirectory->setToolTip(QStringLiteral("点击按钮，选择目录"));
    BTNRun = MakeButton(QStringLiteral("分析"), QStringLiteral("BTNRun"), panel);
    BTNCancel = MakeButton(QStringLiteral("取消"), QStringLiteral("BTNCancel"), panel);
    BTNCancel->hide();
    buttons->addStretch();
    buttons->addWidget(RzBtnDirectory);
    buttons->addWidget(BTNRun);
    buttons->addWidget(BTNCancel);
    buttons->addStretch();
    row->addLayout(buttons);
    page->addWidget(panel);

    RzPageControl1 = new QTabWidget(this);
    RzPageControl1->setObjectName(QStringLiteral("RzPageControl1"));
    vts = new ResultGrid(document, icons);
    connect(vts, &ResultGrid::sortRequested, &document, &EntryDocument::sort);
    ChartDict = new PieChart(FolderChartStyle());
    ChartDict->setObjectName(QStringLiteral("ChartDict"));
    Summary = new VolumeSummaryPage(volumes);
    Summary->setObjectName(QStringLiteral("TabSummary"));
    RzPageControl1->addTab(vts, QStringLiteral("网格"));
    RzPageControl1->addTab(ChartDict, QStringLiteral("饼图"));
    RzPageControl1->addTab(Summary, QStringLiteral("摘要"));
    Treemap = new TreemapView;
    Treemap->setObjectName(QStringLiteral("TabTreemap"));
    Treemap->setDocument(&document);
    RzPageControl1->addTab(Treemap, QStringLiteral("树图"));
    connect(Treemap, &TreemapView::entryHovered, this, &ReportPage::treemapHovered);
    connect(Treemap, &TreemapView::entryClicked, vts, &ResultGrid::showEntry);
    connect(Treemap, &TreemapView::contextMenuRequested, vts, &ResultGrid::popupMenuFor);
    connect(vts, &ResultGrid::focusChanged, Treemap, &TreemapView::setFocusedEntry);
    page->addWidget(RzPageControl1, 1);

    connect(RzBtnDirectory, &QPushButton::clicked, this, &ReportPage::chooseFolderClicked);
    connect(BTNRun, &QPushButton::clicked, this, &ReportPage::runClicked);
    connect(BTNCancel, &QPushButton::clicked, this, &ReportPage::cancelClicked);
}

void ReportPage::showFolder(const QString& path)
{
    LabCur->setText(path);
}

QString ReportPage::folderText() const
{
    return LabCur->text();
}

void ReportPage::setScanning(bool scanning)
{
    ImageScan->setVisible(!scanning);
    cxImgScan->setVisible(scanning);
    BTNCancel->setVisible(scanning);
    BTNRun->setEnabled(!scanning);
}

bool ReportPage::isScanning() const
{
    return !BTNRun->isEnabled();
}

void ReportPage::showCount(std::int32_t count)
{
    Label9->setText(QString::number(count));
}

void ReportPage::showElapsed(const QString& text)
{
    Label10->setText(text);
}

void ReportPage::showState(const QString& text)
{
    Label13->setText(text);
}

void ReportPage::showVolume(const std::string& path)
{
    Summary->ShowVolumeSummary(path);
}

void ReportPage::showImportSummary(const ImportSummary& summary)
{
    Summary->showImportSummary(summary);
}

void ReportPage::setTreemapScanning(bool scanning)
{
    Treemap->setScanning(scanning);
}

void ReportPage::showFolderChart(const EntryTree& tree, EntryId folder)
{
    ShowFolderChart(*ChartDict, tree, folder);
}

} // namespace tallyvane

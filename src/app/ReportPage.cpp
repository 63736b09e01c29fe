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
    m_stillPicture = MakeLabel({}, panel, QStringLiteral("ImageScan"));
    m_stillPicture->setPixmap(ScanPicture(100));
    m_stillPicture->setFixedSize(104, 104);
    m_stillPicture->setAlignment(Qt::AlignCenter);
    m_scanAnimation = new ScanAnimation(panel);
    m_scanAnimation->setObjectName(QStringLiteral("cxImgScan"));
    pictures->addWidget(m_stillPicture);
    pictures->addWidget(m_scanAnimation);
    m_scanAnimation->hide();
    row->addLayout(pictures);

    auto* facts = new QGridLayout;
    facts->setVerticalSpacing(4);
    m_folderLabel = new ElidedLabel(panel);
    m_folderLabel->setObjectName(QStringLiteral("LabCur"));
    m_countLabel = MakeLabel(QStringLiteral("0"), panel, QStringLiteral("Label9"));
    m_elapsedLabel = MakeLabel(QStringLiteral("0"), panel, QStringLiteral("Label10"));
    m_stateLabel = MakeLabel({}, panel, QStringLiteral("Label13"));
    facts->addWidget(MakeLabel(QStringLiteral("路径："), panel), 0, 0);
    facts->addWidget(m_folderLabel, 0, 1, 1, 3);
    facts->addWidget(MakeLabel(QStringLiteral("已扫描文件："), panel), 1, 0);
    facts->addWidget(m_countLabel, 1, 1);
    facts->addWidget(MakeLabel(QStringLiteral("扫描时间："), panel), 1, 2);
    facts->addWidget(m_elapsedLabel, 1, 3);
    facts->addWidget(MakeLabel(QStringLiteral("扫描状态："), panel), 2, 0);
    facts->addWidget(m_stateLabel, 2, 1, 1, 3);
    auto* hint = MakeLabel(QStringLiteral("支持文件夹拖放，您可以把文件夹或磁盘拖入本程序进行分析！"), panel);
    // Its own sheet: the skins colour labels through theirs, which a palette cannot beat.
    hint->setStyleSheet(QStringLiteral("color: #000080;"));
    facts->addWidget(hint, 3, 0, 1, 4);
    facts->setColumnStretch(1, 1);
    facts->setColumnStretch(3, 1);
    row->addLayout(facts, 1);

    auto* buttons = new QVBoxLayout;
    m_chooseFolderButton = MakeButton(QStringLiteral("选择目录"), QStringLiteral("RzBtnDirectory"), panel);
    m_chooseFolderButton->setToolTip(QStringLiteral("点击按钮，选择目录"));
    m_runButton = MakeButton(QStringLiteral("分析"), QStringLiteral("BTNRun"), panel);
    m_cancelButton = MakeButton(QStringLiteral("取消"), QStringLiteral("BTNCancel"), panel);
    m_cancelButton->hide();
    buttons->addStretch();
    buttons->addWidget(m_chooseFolderButton);
    buttons->addWidget(m_runButton);
    buttons->addWidget(m_cancelButton);
    buttons->addStretch();
    row->addLayout(buttons);
    page->addWidget(panel);

    m_views = new QTabWidget(this);
    m_views->setObjectName(QStringLiteral("RzPageControl1"));
    m_grid = new ResultGrid(document, icons);
    connect(m_grid, &ResultGrid::sortRequested, &document, &EntryDocument::sort);
    m_chart = new PieChart(FolderChartStyle());
    m_chart->setObjectName(QStringLiteral("ChartDict"));
    m_summary = new VolumeSummaryPage(volumes);
    m_summary->setObjectName(QStringLiteral("TabSummary"));
    m_views->addTab(m_grid, QStringLiteral("网格"));
    m_views->addTab(m_chart, QStringLiteral("饼图"));
    m_views->addTab(m_summary, QStringLiteral("摘要"));
    m_treemap = new TreemapView;
    m_treemap->setObjectName(QStringLiteral("TabTreemap"));
    m_treemap->setDocument(&document);
    m_views->addTab(m_treemap, QStringLiteral("树图"));
    connect(m_treemap, &TreemapView::entryHovered, this, &ReportPage::treemapHovered);
    connect(m_treemap, &TreemapView::entryClicked, m_grid, &ResultGrid::showEntry);
    connect(m_treemap, &TreemapView::contextMenuRequested, m_grid, &ResultGrid::popupMenuFor);
    connect(m_grid, &ResultGrid::focusChanged, m_treemap, &TreemapView::setOutlinedEntry);
    page->addWidget(m_views, 1);

    connect(m_chooseFolderButton, &QPushButton::clicked, this, &ReportPage::chooseFolderClicked);
    connect(m_runButton, &QPushButton::clicked, this, &ReportPage::runClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &ReportPage::cancelClicked);
}

void ReportPage::showFolder(const QString& path)
{
    m_folderLabel->setText(path);
}

QString ReportPage::folderText() const
{
    return m_folderLabel->text();
}

void ReportPage::setScanning(bool scanning)
{
    m_stillPicture->setVisible(!scanning);
    m_scanAnimation->setVisible(scanning);
    m_cancelButton->setVisible(scanning);
    m_runButton->setEnabled(!scanning);
}

bool ReportPage::isScanning() const
{
    return !m_runButton->isEnabled();
}

void ReportPage::showCount(std::int32_t count)
{
    m_countLabel->setText(QString::number(count));
}

void ReportPage::showElapsed(const QString& text)
{
    m_elapsedLabel->setText(text);
}

void ReportPage::showState(const QString& text)
{
    m_stateLabel->setText(text);
}

void ReportPage::showVolume(const std::string& path)
{
    m_summary->ShowVolumeSummary(path);
}

void ReportPage::showImportSummary(const ImportSummary& summary)
{
    m_summary->showImportSummary(summary);
}

void ReportPage::setTreemapScanning(bool scanning)
{
    m_treemap->setScanning(scanning);
}

void ReportPage::showChartOf(const EntryTree& tree, EntryId folder)
{
    ShowFolderChart(*m_chart, tree, folder);
}

} // namespace tallyvane

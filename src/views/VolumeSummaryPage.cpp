// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/VolumeSummaryPage.h"

#include "platform/FileNames.h"
#include "presentation/VolumeSummary.h"
#include "views/PieChart.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>

#include <iterator>
#include <optional>

namespace tallyvane {
namespace {

constexpr int SwatchSide = 12;

QLabel* namedLabel(const char* objectName, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(objectName));
    return label;
}

QLabel* makeSwatch(const char* objectName, QRgb colour, QWidget* parent)
{
    QPixmap square(SwatchSide, SwatchSide);
    square.fill(QColor::fromRgb(colour));
    QLabel* swatch = namedLabel(objectName, QString(), parent);
    swatch->setPixmap(square);
    swatch->setFixedSize(SwatchSide, SwatchSide);
    return swatch;
}

void showText(QLabel* label, const std::optional<QString>& text)
{
    if (text)
        label->setText(*text);
}

} // namespace

VolumeSummaryPage::VolumeSummaryPage(VolumeQueries& queries, QWidget* parent) : QWidget(parent), m_queries(queries)
{
    auto* box = new QGroupBox(this);
    m_box = box;
    auto* facts = new QGridLayout;
    struct Row {
        const char* caption;
        const char* captionText;
        const char* value;
        const char* swatch;
        QRgb swatchColour;
    };
    const Row rows[] = {
        {"lablj", "路径：", "labljv", nullptr, 0},
        {"lablx", "类型：", "lablxv", nullptr, 0},
        {"labcdx", "簇大小：", "labcdxv", nullptr, 0},
        {"labrl", "容量：", "labrlv", nullptr, 0},
        {"labyykj", "已用空间：", "labyykjv", "Image1", UsedSpaceColour},
        {"labkykj", "可用空间：", "labkykjv", "Image3", FreeSpaceColour},
    };
    QLabel* values[std::size(rows)];
    QLabel* captions[std::size(rows)];
    for (int i = 0; i < static_cast<int>(std::size(rows)); ++i) {
        const Row& row = rows[i];
        if (row.swatch)
            facts->addWidget(makeSwatch(row.swatch, row.swatchColour, box), i, 0);
        captions[i] = namedLabel(row.caption, QString::fromUtf8(row.captionText), box);
        facts->addWidget(captions[i], i, 1);
        values[i] = namedLabel(row.value, QString(), box);
        values[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        facts->addWidget(values[i], i, 2);
    }
    facts->setColumnStretch(2, 1);
    facts->setRowStretch(static_cast<int>(std::size(rows)), 1);
    m_path = values[0];
    m_type = values[1];
    m_typeCaption = captions[1];
    m_clusterCaption = captions[2];
    m_cluster = values[2];
    m_capacity = values[3];
    m_used = values[4];
    m_free = values[5];

    m_chart = new PieChart({QColor(Qt::white), 0, PieChart::MarkPlacement::Inside}, box);
    m_chart->setObjectName(QStringLiteral("Chart1"));
    m_chart->setMinimumSize(200, 200);

    auto* boxLayout = new QHBoxLayout(box);
    boxLayout->addLayout(facts, 1);
    boxLayout->addWidget(m_chart, 1);
    auto* pageLayout = new QHBoxLayout(this);
    pageLayout->addWidget(box);
    showVolumeCaptions(true);
}

void VolumeSummaryPage::ShowVolumeSummary(const std::string& path)
{
    showVolumeCaptions(true);
    display(SummariseVolume(m_queries, path));
}

void VolumeSummaryPage::showImportSummary(const ImportSummary& summary)
{
    showVolumeCaptions(false);
    display({summary.path, summary.program, summary.time, QString(), QString(), QString(), {}});
}

void VolumeSummaryPage::showVolumeCaptions(bool volume)
{
    m_box->setTitle(volume ? QStringLiteral("卷摘要") : QStringLiteral("导入的扫描结果"));
    m_typeCaption->setText(volume ? QStringLiteral("类型：") : QStringLiteral("程序："));
    m_clusterCaption->setText(volume ? QStringLiteral("簇大小：") : QStringLiteral("扫描时间："));
}

void VolumeSummaryPage::display(const VolumeSummary& summary)
{
    showText(m_path, summary.path);
    showText(m_type, summary.type);
    showText(m_cluster, summary.cluster);
    showText(m_capacity, summary.capacity);
    showText(m_used, summary.used);
    showText(m_free, summary.free);
    m_chart->clear();
    for (const PieSlice& slice : summary.slices)
        m_chart->addSlice(slice);
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/PieChart.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QPainter>
#include <QPieSlice>

#include <cmath>

namespace tallyvane {
namespace {

// Black or white, whichever reads better on colour.
QColor contrastingColour(const QColor& colour)
{
    const int luminance = (299 * colour.red() + 587 * colour.green() + 114 * colour.blue()) / 1000;
    return luminance > 140 ? QColor(Qt::black) : QColor(Qt::white);
}

// Slice labels are drawn as rich text: a name such as "<b>x" or the gathering slice's "<5%"
// must not be read as markup, nor a run of blanks collapse to one.
QString richMark(const QString& plain)
{
    QString html = plain.toHtmlEscaped();
    html.replace(QLatin1Char('\r'), QLatin1String("<br>"));
    return QStringLiteral("<span style=\"white-space:pre\">") + html + QStringLiteral("</span>");
}

} // namespace

PieChart::PieChart(const Style& style, QWidget* parent)
    : QChartView(parent), m_style(style), m_series(new QPieSeries)
{
    auto* pie = new QChart;
    pie->legend()->hide();
    pie->setBackgroundBrush(style.background);
    pie->setBackgroundRoundness(0);
    pie->setMargins(QMargins(4, 4, 4, 4));
    pie->layout()->setContentsMargins(0, 0, 0, 0);
    // The series draws a circle of pieSize times the shorter side of the plot area, so the pie
    // stays round whatever the widget's shape; outside marks need room around it.
    m_series->setPieSize(style.marks == MarkPlacement::Outside ? 0.5 : 0.9);
    pie->addSeries(m_series);
    setChart(pie);

    setBackgroundBrush(style.background);
    setFrameShape(QFrame::NoFrame);
    setRenderHint(QPainter::Antialiasing);
}

void PieChart::clear()
{
    chart()->setTitle(QString());
    m_series->clear();
    m_slices.clear();
}

void PieChart::addSlice(const PieSlice& slice)
{
    // Qt draws slices by magnitude; the marks count the same way.
    auto* item = new QPieSlice(QString(), std::abs(slice.value));
    // Appending dresses the slice in the theme's pen, so the look is set afterwards.
    m_series->append(item);
    item->setColor(slice.colour);
    item->setBorderColor(m_style.background);
    const bool inside = m_style.marks == MarkPlacement::Inside;
    item->setLabelPosition(inside ? QPieSlice::LabelInsideHorizontal : QPieSlice::LabelOutside);
    item->setLabelColor(contrastingColour(inside ? slice.colour : m_style.background));
    item->setLabelVisible(true);
    m_slices.push_back(slice);
    updateMarks();
}

QString PieChart::markText(std::size_t i) const
{
    return MarkText(m_slices[i].label, std::abs(m_slices[i].value), m_series->sum(), m_style.markDecimals);
}

void PieChart::updateMarks()
{
    // Every share changes with the whole.
    const QList<QPieSlice*> items = m_series->slices();
    for (std::size_t i = 0; i < m_slices.size(); ++i)
        items[static_cast<qsizetype>(i)]->setLabel(richMark(markText(i)));
}

PieChart::Style FolderChartStyle()
{
    return {QColor(Qt::black), 2, PieChart::MarkPlacement::Outside};
}

void ShowFolderChart(PieChart& chart, const EntryTree& tree, EntryId folder)
{
    chart.clear();
    for (const PieSlice& slice : FolderSlices(tree, folder))
        chart.addSlice(slice);
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/PieChart.h"

#include "views/GridFonts.h"

#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QLineF>
#include <QPainter>
#include <QPieSlice>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace tallyvane {
namespace {

// Black or white, whichever reads better on colour.
QColor contrastingColour(const QColor& colour)
{
    const int luminance = (299 * colour.red() + 587 * colour.green() + 114 * colour.blue()) / 1000;
    return luminance > 140 ? QColor(Qt::black) : QColor(Qt::white);
}

// Room between a mark and the disc, and the arm's parts.
constexpr qreal ArmOut = 12;
constexpr qreal ArmAcross = 10;
constexpr qreal TextGap = 3;
constexpr qreal EdgeGap = 2;

} // namespace

PieChart::PieChart(const Style& style, QWidget* parent)
    // Made with its chart: a chart given later through setChart() leaves the view's first one to
    // the caller, and so leaks it.
    : QChartView(new QChart, parent), m_style(style), m_series(new QPieSeries)
{
    QChart* pie = chart();
    pie->legend()->hide();
    pie->setBackgroundBrush(style.background);
    pie->setBackgroundRoundness(0);
    pie->setMargins(QMargins(4, 4, 4, 4));
    pie->layout()->setContentsMargins(0, 0, 0, 0);
    // The series draws a circle of pieSize times the shorter side of the plot area, so the pie
    // stays round whatever the widget's shape; outside marks need room around it.
    m_series->setPieSize(style.marks == MarkPlacement::Outside ? 0.5 : 0.9);
    pie->addSeries(m_series);

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
    item->setLabelVisible(false); // the chart draws the marks itself
    m_slices.push_back(slice);
    updateSlices();
}

QString PieChart::markOf(std::size_t i) const
{
    return MarkText(m_slices[i].label, std::abs(m_slices[i].value), m_series->sum(), m_style.markDecimals);
}

void PieChart::updateSlices()
{
    // The border parts neighbouring slices; a slice that is the whole pie has no neighbour, and
    // its border would draw a seam from the centre to the rim.
    const QList<QPieSlice*> items = m_series->slices();
    for (QPieSlice* item : items) {
        if (item->value() > 0 && item->value() >= m_series->sum())
            item->setPen(Qt::NoPen);
        else
            item->setPen(QPen(m_style.background, 1));
    }
    viewport()->update();
}

QPointF PieChart::pieCentre() const
{
    return mapFromScene(chart()->mapToScene(chart()->plotArea().center()));
}

qreal PieChart::pieRadius() const
{
    // As the series draws it: pieSize times half the plot area's shorter side.
    const QRectF plot = chart()->plotArea();
    return std::min(plot.width(), plot.height()) / 2 * m_series->pieSize();
}

QColor PieChart::markColour(std::size_t i) const
{
    return contrastingColour(m_style.marks == MarkPlacement::Inside ? m_slices[i].colour : m_style.background);
}

PieChart::MarkLayout PieChart::markLayout(std::size_t i) const
{
    MarkLayout layout;
    const QList<QPieSlice*> items = m_series->slices();
    const QPieSlice* item = items[static_cast<qsizetype>(i)];
    const QString mark = markOf(i);
    const qsizetype lastBreak = mark.lastIndexOf(QLatin1Char('\r'));
    QString name = lastBreak < 0 ? QString() : mark.left(lastBreak);
    name.replace(QLatin1Char('\r'), QLatin1Char(' '));
    const QString figures = mark.mid(lastBreak + 1);

    // Angles run clockwise from twelve o'clock.
    const qreal angle = qDegreesToRadians(item->startAngle() + item->angleSpan() / 2);
    const QPointF direction(std::sin(angle), -std::cos(angle));
    const QPointF centre = pieCentre();
    const qreal radius = pieRadius();
    const QFontMetricsF metrics(GridFont());
    const qreal height = metrics.height() * (name.isEmpty() ? 1 : 2);
    const QRectF view = QRectF(viewport()->rect()).adjusted(EdgeGap, EdgeGap, -EdgeGap, -EdgeGap);
    const auto lines = [&](qreal room) {
        QStringList shown;
        if (!name.isEmpty())
            shown << metrics.elidedText(name, Qt::ElideMiddle, std::max(room, metrics.horizontalAdvance(figures)));
        shown << figures;
        return shown;
    };
    const auto widest = [&](const QStringList& shown) {
        qreal width = 0;
        for (const QString& line : shown)
            width = std::max(width, metrics.horizontalAdvance(line));
        return std::ceil(width);
    };

    if (m_style.marks == MarkPlacement::Inside) {
        const QPointF at = centre + direction * radius * 0.6;
        layout.lines = lines(view.width());
        const qreal width = widest(layout.lines);
        layout.text = QRectF(at.x() - width / 2, at.y() - height / 2, width, height);
        return layout;
    }

    const bool right = direction.x() >= 0;
    const QPointF rim = centre + direction * radius;
    const QPointF elbow = centre + direction * (radius + ArmOut);
    const QPointF end(elbow.x() + (right ? ArmAcross : -ArmAcross), elbow.y());
    const qreal left = right ? end.x() + TextGap : view.left();
    const qreal room = right ? view.right() - left : end.x() - TextGap - view.left();
    layout.lines = lines(room);
    const qreal width = widest(layout.lines);
    QRectF text(right ? left : end.x() - TextGap - width, elbow.y() - height / 2, width, height);
    // Near twelve and six o'clock the box would reach over the disc: it moves away from it
    // until its nearest corner is clear.
    const auto nearestCorner = [&](const QRectF& box) {
        return QPointF(std::clamp(centre.x(), box.left(), box.right()),
                       std::clamp(centre.y(), box.top(), box.bottom()));
    };
    const qreal step = direction.y() < 0 ? -1 : 1;
    for (int moved = 0; moved < 4 * height && QLineF(centre, nearestCorner(text)).length() < radius + TextGap; ++moved)
        text.translate(0, step);
    layout.text = text;
    layout.arm = QPolygonF({rim, elbow, end, QPointF(end.x(), text.center().y())});
    return layout;
}

void PieChart::drawForeground(QPainter* painter, const QRectF& rect)
{
    QChartView::drawForeground(painter, rect);
    painter->save();
    // The layout is in the view's coordinates, the painter in the scene's.
    painter->resetTransform();
    painter->setFont(GridFont());
    for (std::size_t i = 0; i < m_slices.size(); ++i) {
        const MarkLayout layout = markLayout(i);
        painter->setPen(markColour(i));
        if (!layout.arm.isEmpty())
            painter->drawPolyline(layout.arm);
        const Qt::Alignment side = m_style.marks == MarkPlacement::Inside ? Qt::AlignHCenter
            : layout.text.left() > pieCentre().x()                        ? Qt::AlignLeft
                                                                          : Qt::AlignRight;
        painter->drawText(layout.text, side | Qt::AlignVCenter, layout.lines.join(QLatin1Char('\n')));
    }
    painter->restore();
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/GridHeader.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyle>

namespace tallyvane {
namespace {

// A raised plate's edges, light above and left, dark below and right, two lines each.
const QColor OuterLight(0xE3, 0xE3, 0xE3);
const QColor InnerLight(0xFF, 0xFF, 0xFF);
const QColor InnerShadow(0xA0, 0xA0, 0xA0);
const QColor OuterShadow(0x69, 0x69, 0x69);
const QColor HoverFill(0xCC, 0xE4, 0xF7);
const QColor HoverText(0x00, 0x00, 0xFF);
const QColor SortMarkColor(0x69, 0x69, 0x69);

} // namespace

GridHeader::GridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsMovable(true);
    setFirstSectionMovable(true);
    setSectionsClickable(true);
    setHighlightSections(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    painter->save();
    const bool hovered = logicalIndex == m_hovered;
    painter->fillRect(rect, hovered ? HoverFill : QColor(Qt::white));

    const QRect& outer = rect;
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    const auto edges = [painter](const QRect& r, const QColor& light, const QColor& dark) {
        painter->setPen(light);
        painter->drawLine(r.topLeft(), r.topRight());
        painter->drawLine(r.topLeft(), r.bottomLeft());
        painter->setPen(dark);
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->drawLine(r.topRight(), r.bottomRight());
    };
    edges(outer, OuterLight, OuterShadow);
    edges(inner, InnerLight, InnerShadow);

    const bool marked = isSortIndicatorShown() && sortIndicatorSection() == logicalIndex;
    QRect caption = rect.adjusted(CaptionPadding, 0, -2, 0);
    if (marked) {
        caption.setRight(rect.right() - SortMarkRoom);
        // A small triangle pointing the way the rows run: up for ascending, down for descending.
        const int x = rect.right() - SortMarkRoom + 4;
        const int y = rect.center().y();
        const QPolygon mark = sortIndicatorOrder() == Qt::AscendingOrder
            ? QPolygon({QPoint(x, y + 2), QPoint(x + 6, y + 2), QPoint(x + 3, y - 2)})
            : QPolygon({QPoint(x, y - 2), QPoint(x + 6, y - 2), QPoint(x + 3, y + 2)});
        painter->setPen(SortMarkColor);
        painter->setBrush(SortMarkColor);
        painter->drawPolygon(mark);
    }
    painter->setFont(font());
    painter->setPen(hovered ? HoverText : QColor(Qt::black));
    const QString text = model() != nullptr ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    painter->setClipRect(caption);
    painter->drawText(caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      fontMetrics().elidedText(text, Qt::ElideRight, caption.width()));
    painter->restore();
}

QSize GridHeader::sectionSizeFromContents(int logicalIndex) const
{
    // The optimal width: the caption, its blank and the sort mark's room.
    const QString text = model() != nullptr ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    return {fontMetrics().horizontalAdvance(text) + CaptionPadding + SortMarkRoom, height()};
}

void GridHeader::setHovered(int column)
{
    if (column == m_hovered)
        return;
    m_hovered = column;
    viewport()->update();
}

bool GridHeader::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave)
        setHovered(-1);
    return QHeaderView::viewportEvent(event);
}

bool GridHeader::isOnDivider(const QPoint& position) const
{
    const int margin = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    const int column = logicalIndexAt(position);
    if (column < 0)
        return false;
    const int left = sectionViewportPosition(column);
    const int right = left + sectionSize(column);
    return position.x() - left < margin || right - position.x() <= margin;
}

void GridHeader::mousePressEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    m_clickPending = !isOnDivider(position);
    m_pressedColumn = logicalIndexAt(position);
    m_pressPosition = position;
    QHeaderView::mousePressEvent(event);
}

void GridHeader::mouseMoveEvent(QMouseEvent* event)
{
    setHovered(event->buttons() == Qt::NoButton ? logicalIndexAt(event->position().toPoint()) : -1);
    // A caption dragged to another place moves the column and is no click.
    if (m_clickPending && event->buttons() != Qt::NoButton
        && (event->position().toPoint() - m_pressPosition).manhattanLength() >= QApplication::startDragDistance())
        m_clickPending = false;
    QHeaderView::mouseMoveEvent(event);
}

void GridHeader::mouseReleaseEvent(QMouseEvent* event)
{
    // The grid decides the sort mark; the header would flip it on every click by itself.
    const int markedColumn = sortIndicatorSection();
    const Qt::SortOrder markedOrder = sortIndicatorOrder();
    QHeaderView::mouseReleaseEvent(event);
    setSortIndicator(markedColumn, markedOrder);
    const bool click = m_clickPending && logicalIndexAt(event->position().toPoint()) == m_pressedColumn;
    m_clickPending = false;
    if (click)
        emit headerClicked(m_pressedColumn);
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/GridHeader.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStyle>

namespace tallyvane {

GridHeader::GridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsMovable(true);
    setSectionsClickable(true);
    setHighlightSections(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
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

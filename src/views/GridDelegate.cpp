// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/GridDelegate.h"

#include "views/ResultGrid.h"

#include <QPainter>

namespace tallyvane {

namespace {
const QColor GridLineColor(166, 202, 240);
}

GridDelegate::GridDelegate(ResultGrid& grid) : QStyledItemDelegate(&grid), m_grid(grid) {}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if ((option.state & QStyle::State_Selected) && m_grid.showsInactiveSelection()) {
        // Filled in grey with the usual text colour; the grid frames the whole row.
        painter->fillRect(option.rect, ResultGrid::inactiveSelectionColor());
        QStyleOptionViewItem unselected(option);
        unselected.state &= ~QStyle::State_Selected;
        QStyledItemDelegate::paint(painter, unselected, index);
    } else {
        QStyledItemDelegate::paint(painter, option, index);
    }
    m_grid.vtsAfterCellPaint(*painter, index, option.rect);

    const QRect& cell = option.rect;
    painter->save();
    painter->setPen(GridLineColor);
    painter->drawLine(cell.bottomLeft(), cell.bottomRight());
    painter->drawLine(cell.topRight(), cell.bottomRight());
    painter->restore();
}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return {QStyledItemDelegate::sizeHint(option, index).width(), GridRowHeight};
}

} // namespace tallyvane

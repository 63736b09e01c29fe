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
    QStyledItemDelegate::paint(painter, option, index);
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/GridDelegate.h"

#include "views/EntryModel.h"
#include "views/ResultGrid.h"

#include <QPainter>

namespace tallyvane {

namespace {
const QColor GridLineColor(166, 202, 240);
}

GridDelegate::GridDelegate(ResultGrid& grid) : QStyledItemDelegate(&grid), m_grid(grid) {}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // The name cell starts after its indentation, which the grid draws; both stay inside the
    // column however deep the entry.
    QStyleOptionViewItem cell(option);
    if (index.column() == ColumnName) {
        const EntryId entry = EntryModel::entryOf(index);
        const int indentation = m_grid.indentationOf(entry);
        painter->save();
        painter->setClipRect(option.rect, Qt::IntersectClip);
        m_grid.drawIndentation(*painter, option,
                               QRect(option.rect.left(), option.rect.top(), indentation, option.rect.height()), entry);
        painter->restore();
        cell.rect.setLeft(option.rect.left() + indentation);
        if (cell.rect.width() <= 0)
            return;
    }

    if ((cell.state & QStyle::State_Selected) && m_grid.showsInactiveSelection()) {
        // Filled in grey with the usual text colour; the grid frames the whole row.
        painter->fillRect(cell.rect, ResultGrid::inactiveSelectionColor());
        QStyleOptionViewItem unselected(cell);
        unselected.state &= ~QStyle::State_Selected;
        QStyledItemDelegate::paint(painter, unselected, index);
    } else {
        QStyledItemDelegate::paint(painter, cell, index);
    }
    m_grid.vtsAfterCellPaint(*painter, index, cell.rect);

    const QRect& rect = cell.rect;
    painter->save();
    painter->setPen(GridLineColor);
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->restore();
}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    int width = QStyledItemDelegate::sizeHint(option, index).width();
    if (index.column() == ColumnName)
        width += m_grid.indentationOf(EntryModel::entryOf(index));
    return {width, GridRowHeight};
}

} // namespace tallyvane

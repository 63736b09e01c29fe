// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

namespace tallyvane {

class ResultGrid;

// Paints the grid's cells: the name cell's indentation by the grid, the text and icon as usual,
// the sky-blue grid lines, and after each cell the grid's own drawing (the share bars).
class GridDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit GridDelegate(ResultGrid& grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    ResultGrid& m_grid;
};

} // namespace tallyvane

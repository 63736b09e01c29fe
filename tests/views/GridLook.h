// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "views/GridHeader.h"
#include "views/ResultGrid.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace tallyvane::test {

// Pixel checks of the grid as drawn, shared by the grid's tests and those of the skins: the
// selection without the keyboard focus, the header's raised plates and its highlight under
// the mouse. The grid must be shown with its root row selected.

inline QColor pixelOf(QWidget& widget, const QPoint& at)
{
    return widget.grab().toImage().pixelColor(at);
}

// With the focus elsewhere the selected first row is filled and framed in grey text.
inline void expectGreyInactiveSelection(ResultGrid& grid, QWidget& elsewhere)
{
    elsewhere.window()->activateWindow();
    elsewhere.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&elsewhere] { return elsewhere.hasFocus(); }, 2000));
    ASSERT_FALSE(grid.hasFocus());
    const QColor grey = ResultGrid::inactiveSelectionColor();
    const QRect row = grid.visualRect(grid.model()->index(0, ColumnShareInFolder));
    const QImage image = grid.viewport()->grab().toImage();
    EXPECT_EQ(image.pixelColor(row.center()), grey) << "fill";
    EXPECT_EQ(image.pixelColor(row.center().x(), row.top()), grey) << "frame above";
    EXPECT_EQ(image.pixelColor(row.center().x(), row.top() + GridRowHeight - 1), grey) << "frame below";
    EXPECT_EQ(image.pixelColor(0, row.center().y()), grey) << "frame left";

    grid.window()->activateWindow();
    grid.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&grid] { return grid.hasFocus(); }, 2000));
    EXPECT_NE(grid.viewport()->grab().toImage().pixelColor(row.center()), grey) << "focused";
}

// Raised plates: light above and left, dark below and right; the plate under the mouse in blue.
inline void expectRaisedHeaderWithHover(ResultGrid& grid)
{
    QHeaderView* header = grid.header();
    const int left = header->sectionViewportPosition(ColumnSize);
    const int right = left + header->sectionSize(ColumnSize) - 1;
    const int bottom = header->height() - 1;
    const int middle = header->height() / 2;
    QImage image = header->viewport()->grab().toImage();
    const auto lightness = [&image](int x, int y) { return image.pixelColor(x, y).lightness(); };
    EXPECT_LT(lightness(right, middle), 128) << "outer shadow right";
    EXPECT_LT(lightness(left + 10, bottom), 128) << "outer shadow below";
    EXPECT_GT(lightness(left + 1, middle), 200) << "light left";
    EXPECT_LT(lightness(right - 1, middle), lightness(left + 1, middle)) << "inner shadow right";
    const QPoint inside(right - 6, 3);
    EXPECT_EQ(image.pixelColor(inside), QColor(Qt::white)) << "plate";

    QMouseEvent move(QEvent::MouseMove, QPointF(left + 20, middle),
                     header->viewport()->mapToGlobal(QPointF(left + 20, middle)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(header->viewport(), &move);
    image = header->viewport()->grab().toImage();
    const QColor hovered = image.pixelColor(inside);
    EXPECT_GT(hovered.blue(), hovered.red() + 20) << "blue under the mouse";
    const int other = header->sectionViewportPosition(ColumnShareOfTotal) + 10;
    EXPECT_EQ(image.pixelColor(other, 3), QColor(Qt::white)) << "other plates stay white";
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(header->viewport(), &leave);
}

} // namespace tallyvane::test

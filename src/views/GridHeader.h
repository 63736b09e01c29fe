// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHeaderView>

namespace tallyvane {

// The grid's header. Besides what a header does (moving columns by their captions, the name
// column too, resizing them by their dividers, optimal width on a divider's double-click) it
// reports every click: left, right or middle, on a caption (its column's index) or beside the
// captions (-1). Pressing on a divider, resizing and dragging a caption are no clicks.
//
// It draws its captions itself, black on white on raised plates, the one under the mouse
// highlighted in blue, with room kept for the sort mark so that it never covers the caption;
// the skins style the rest of the window but not these.
class GridHeader final : public QHeaderView {
    Q_OBJECT

public:
    explicit GridHeader(QWidget* parent = nullptr);

    // Room the sort mark takes at a caption's right end.
    static constexpr int SortMarkRoom = 14;
    // Blank left of a caption.
    static constexpr int CaptionPadding = 4;

signals:
    void headerClicked(int column);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    bool isOnDivider(const QPoint& position) const;
    void setHovered(int column);

    int m_pressedColumn = -1;
    QPoint m_pressPosition;
    bool m_clickPending = false;
    int m_hovered = -1;
};

} // namespace tallyvane

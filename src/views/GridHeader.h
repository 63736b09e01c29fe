// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHeaderView>

namespace tallyvane {

// The grid's header. Besides what a header does (moving columns by their captions, resizing
// them by their dividers, optimal width on a divider's double-click) it reports every click:
// left, right or middle, on a caption (its column's index) or beside the captions (-1). Pressing
// on a divider, resizing and dragging a caption are no clicks.
class GridHeader final : public QHeaderView {
    Q_OBJECT

public:
    explicit GridHeader(QWidget* parent = nullptr);

signals:
    void headerClicked(int column);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool isOnDivider(const QPoint& position) const;

    int m_pressedColumn = -1;
    QPoint m_pressPosition;
    bool m_clickPending = false;
};

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace tallyvane {

// A one-line label for texts of any length, such as paths: it never asks for the width of its
// text, so a long path cannot widen the window. A text that does not fit is drawn shortened in
// the middle with "…", which keeps both the start and the name at the end in view; hovering
// shows the whole text. text() is always the whole text.
class ElidedLabel final : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    // What is drawn: the text, shortened to the width there is.
    QString shownText() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Pictures.h"

#include <QToolButton>

namespace tallyvane {

// A button of the window's toolbar: an 80 x 60 button with its picture above its caption.
//
// The picture is outlined in the colour the skin gives the caption, which the skin chose to
// read on its toolbar, so every picture stands out on every skin; it is drawn again whenever the
// skin changes. The button takes the focus when a shared access key moves it there, and Space,
// Return or Enter then press it.
class ToolbarButton final : public QToolButton {
    Q_OBJECT

public:
    ToolbarButton(const QString& caption, Picture picture, QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void drawPicture();

    Picture m_picture;
    QRgb m_ink = 0; // the caption colour the picture was last drawn with
};

} // namespace tallyvane

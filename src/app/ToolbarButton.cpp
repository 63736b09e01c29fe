// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ToolbarButton.h"

#include <QKeyEvent>
#include <QShortcutEvent>

namespace tallyvane {

ToolbarButton::ToolbarButton(const QString& caption, Picture picture, QWidget* parent)
    : QToolButton(parent), m_picture(picture)
{
    setText(caption);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize({32, 32});
    setFixedSize(80, 60);
    drawPicture();
}

void ToolbarButton::changeEvent(QEvent* event)
{
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange)
        drawPicture();
}

bool ToolbarButton::event(QEvent* event)
{
    // Qt moves the focus for a shared key only to buttons that accept it by policy, and the
    // latching page buttons, an exclusive group, accept it only while down.
    if (event->type() == QEvent::Shortcut && static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
        setFocus(Qt::ShortcutFocusReason);
        window()->setAttribute(Qt::WA_KeyboardFocusChange);
        return true;
    }
    return QToolButton::event(event);
}

void ToolbarButton::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        animateClick();
        return;
    }
    QToolButton::keyPressEvent(event);
}

void ToolbarButton::drawPicture()
{
    const QColor ink = palette().color(QPalette::ButtonText);
    if (!icon().isNull() && ink.rgba() == m_ink)
        return;
    m_ink = ink.rgba();
    QIcon picture;
    // The larger one serves screens with two device pixels to the point.
    for (const int size : {32, 64})
        picture.addPixmap(OutlinedPicture(m_picture, ink, size));
    setIcon(picture);
}

} // namespace tallyvane

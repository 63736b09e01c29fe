// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace tallyvane {

// Small makers for the window's controls, which carry the names the rest of the program and
// the tests know them by.
inline QLabel* MakeLabel(const QString& text, QWidget* parent, const QString& name = {})
{
    auto* label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

inline QPushButton* MakeButton(const QString& text, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

inline QFont BoldFont(int points)
{
    QFont font;
    font.setBold(true);
    font.setPointSize(points);
    return font;
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TallyvaneApplication.h"

#include "commands/MessageBoxes.h"

#include <exception>

namespace tallyvane {

TallyvaneApplication::TallyvaneApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tallyvane"));
    setApplicationDisplayName(QStringLiteral("Tallyvane"));
}

bool TallyvaneApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showError(QStringLiteral("Unknown error"));
    }
    return false;
}

void TallyvaneApplication::showError(const QString& text)
{
    if (m_boxes)
        ShowErrorBox(*m_boxes, text);
}

} // namespace tallyvane

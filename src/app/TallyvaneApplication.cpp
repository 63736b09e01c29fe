// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TallyvaneApplication.h"

#include "commands/MessageBoxes.h"

#include <exception>

namespace tallyvane {

TallyvaneApplication::TallyvaneApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The name only, no display name: Qt appends a display name to every window title the
    // desktop shows, and the window and message boxes carry their titles exactly.
    setApplicationName(QStringLiteral("Tallyvane"));
}

bool TallyvaneApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // Showing the error needs memory too; when even that fails the program goes on without
        // the box, as nothing may escape into the event loop.
        try {
            reportCurrentException();
        } catch (...) {
        }
    }
    return false;
}

void TallyvaneApplication::reportCurrentException()
{
    try {
        throw;
    } catch (const std::exception& error) {
        showError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showError(QStringLiteral("Unknown error"));
    }
}

void TallyvaneApplication::showError(const QString& text)
{
    if (m_boxes)
        ShowErrorBox(*m_boxes, text);
}

} // namespace tallyvane

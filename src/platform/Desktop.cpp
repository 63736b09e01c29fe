// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Desktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>

namespace tallyvane {
namespace {

// Calls one method of the file manager's interface with the item's URL; true when a file
// manager answered. A desktop without one answers at once with an error.
bool callFileManager(const QString& method, const QString& path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), method);
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    constexpr int Timeout = 3000; // milliseconds
    return bus.call(call, QDBus::Block, Timeout).type() == QDBusMessage::ReplyMessage;
}

} // namespace

bool QtDesktop::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

void QtDesktop::showFolder(const QString& folder)
{
    if (!callFileManager(QStringLiteral("ShowFolders"), folder))
        openUrl(QUrl::fromLocalFile(folder));
}

bool QtDesktop::showItemProperties(const QString& path)
{
    return callFileManager(QStringLiteral("ShowItemProperties"), path);
}

} // namespace tallyvane

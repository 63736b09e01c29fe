// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/Desktop.h"

#include "platform/FileNames.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>

namespace tallyvane {
namespace {

// Calls one method of the file manager's interface with the item's URL; true when a file
// manager answered. A desktop without one answers at once with an error.
bool callFileManager(const QString& method, const std::string& path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                                       QStringLiteral("org.freedesktop.FileManager1"), method);
    call << QStringList{LocalFileUrl(path).toString(QUrl::FullyEncoded)} << QString();
    constexpr int Timeout = 3000; // milliseconds
    return bus.call(call, QDBus::Block, Timeout).type() == QDBusMessage::ReplyMessage;
}

} // namespace

bool QtDesktop::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool QtDesktop::openFile(const std::string& path)
{
    return openUrl(LocalFileUrl(path));
}

void QtDesktop::showFolder(const std::string& folder)
{
    if (!callFileManager(QStringLiteral("ShowFolders"), folder))
        openFile(folder);
}

bool QtDesktop::showItemProperties(const std::string& path)
{
    return callFileManager(QStringLiteral("ShowItemProperties"), path);
}

} // namespace tallyvane

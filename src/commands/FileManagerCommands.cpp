// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/FileManagerCommands.h"

namespace tallyvane {

RegistrationMessage RegisterFileManagerEntries(FileManagerIntegration& integration, const QString& caption,
                                               const std::string& executablePath)
{
    if (integration.registerEntries(caption.toStdString(), executablePath))
        return {QStringLiteral("系统右键菜单已注册！"), false};
    return {QStringLiteral("系统右键菜单注册失败！"), true};
}

RegistrationMessage UnregisterFileManagerEntries(FileManagerIntegration& integration)
{
    if (integration.unregisterEntries())
        return {QStringLiteral("系统右键菜单已删除！"), false};
    return {QStringLiteral("系统右键菜单删除失败！"), true};
}

} // namespace tallyvane

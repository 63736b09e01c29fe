// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/ScanTexts.h"

#include "platform/FileAttributes.h"

namespace tallyvane {

QString ScanProgressText(const ScanProgress& progress)
{
    QString text = QStringLiteral("已完成 %1%").arg(progress.percent);
    if (!progress.secondsLeft)
        return text;
    const std::int64_t seconds = *progress.secondsLeft;
    if (seconds < 60)
        return text + QStringLiteral("，约剩 %1 秒").arg(seconds);
    if (seconds % 60 == 0)
        return text + QStringLiteral("，约剩 %1 分钟").arg(seconds / 60);
    return text + QStringLiteral("，约剩 %1 分钟 %2 秒").arg(seconds / 60).arg(seconds % 60);
}

QString ScanMarkText(std::uint32_t attributes)
{
    if (attributes & Attribute::Excluded)
        return QStringLiteral("已按排除的名称略过，未计入大小");
    if (attributes & Attribute::OtherFileSystem)
        return QStringLiteral("位于其他文件系统，未扫描");
    if (attributes & Attribute::Unreadable)
        return QStringLiteral("无法读取此文件夹，其中的内容未计入");
    if (attributes & Attribute::LinkCountedElsewhere)
        return QStringLiteral("硬链接，大小已在另一处计入");
    return {};
}

} // namespace tallyvane

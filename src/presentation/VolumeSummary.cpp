// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/VolumeSummary.h"

#include "platform/FileNames.h"
#include "presentation/SizeText.h"

#include <QDateTime>

namespace tallyvane {
namespace {

QString sizeText(std::int64_t size)
{
    return QString::fromStdString(SizeToText(size));
}

QString clusterText(std::uint32_t cluster)
{
    // ByteCountText leaves 0 blank, as the grid wants; a cluster size is always written out.
    const std::string digits = cluster == 0 ? std::string("0") : ByteCountText(cluster);
    return QString::fromStdString(digits + " Bytes");
}

} // namespace

VolumeSummary SummariseVolume(VolumeQueries& queries, const std::string& path)
{
    VolumeSummary summary;
    if (path.empty()) {
        summary.path = summary.type = summary.cluster = QString();
        summary.capacity = summary.used = summary.free = QString();
        return summary;
    }

    const std::string root = queries.volumeRoot(path);
    summary.path = DecodeFileName(root);
    summary.type = DriveTypeText(queries.driveType(root));

    const std::optional<std::uint32_t> cluster = queries.clusterSize(root);
    if (!cluster)
        return summary;
    summary.cluster = clusterText(*cluster);

    const VolumeSpace space = queries.space(root).value_or(VolumeSpace{-1, -1});
    const std::int64_t used = space.capacity - space.free;
    summary.capacity = sizeText(space.capacity);
    summary.used = sizeText(used);
    summary.free = sizeText(space.free);
    summary.slices = {
        {static_cast<double>(used), QString(), QColor::fromRgb(UsedSpaceColour)},
        {static_cast<double>(space.free), QString(), QColor::fromRgb(FreeSpaceColour)},
    };
    return summary;
}

QString DriveTypeText(DriveType type)
{
    switch (type) {
    case DriveType::Unknown:
        return QStringLiteral("未知");
    case DriveType::NoVolume:
        // Of the program's two texts for disks that come and go, removable media took the
        // one that names them; this is the other.
        return QStringLiteral("软盘");
    case DriveType::Removable:
        return QStringLiteral("可移动磁盘");
    case DriveType::Fixed:
        return QStringLiteral("本地硬盘");
    case DriveType::Network:
        return QStringLiteral("网络磁盘");
    case DriveType::Optical:
        return QStringLiteral("CD-ROM");
    case DriveType::Ram:
        return QStringLiteral("RAM 磁盘");
    }
    return QString();
}

ImportSummary SummariseImport(const ImportedScan& scan)
{
    ImportSummary summary;
    summary.path = DecodeFileName(scan.rootPath);
    summary.program = QString::fromUtf8(scan.programName);
    if (!scan.programVersion.empty())
        summary.program += QLatin1Char(' ') + QString::fromUtf8(scan.programVersion);
    if (scan.timestamp)
        summary.time = QDateTime::fromSecsSinceEpoch(*scan.timestamp).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return summary;
}

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/NcduImport.h"
#include "platform/VolumeQueries.h"
#include "presentation/ChartSlices.h"

#include <QRgb>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace tallyvane {

inline constexpr QRgb UsedSpaceColour = qRgb(0, 0, 255);
inline constexpr QRgb FreeSpaceColour = qRgb(255, 0, 255);

// What the Summary page shows of a volume. A text that is absent leaves its label as it was:
// a summary stops at the first query that fails and relies on the clearing summary shown
// before it for the labels it does not reach.
struct VolumeSummary {
    std::optional<QString> path;
    std::optional<QString> type;
    std::optional<QString> cluster;
    std::optional<QString> capacity;
    std::optional<QString> used;
    std::optional<QString> free;
    // Used space, then free space; none when the volume could not be queried.
    std::vector<PieSlice> slices;
};

// The summary of the volume holding path. An empty path gives the clearing summary: every text
// empty, no slices. When the volume's space cannot be queried after its cluster size could, the
// capacity and the free space count as -1.
VolumeSummary SummariseVolume(VolumeQueries& queries, const std::string& path);

QString DriveTypeText(DriveType type);

// What the Summary page shows of an imported scan in place of a volume: the scanned folder as
// the export names it, the program that wrote the export and when (local time; empty when the
// export does not say).
struct ImportSummary {
    QString path;
    QString program;
    QString time;
};

ImportSummary SummariseImport(const ImportedScan& scan);

} // namespace tallyvane

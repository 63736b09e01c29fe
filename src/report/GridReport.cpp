// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/GridReport.h"

namespace tallyvane {

GridReport DefaultGridReport()
{
    GridReport report;
    for (int index = 0; index < GridColumnCount; ++index) {
        const ColumnSpec& spec = GridColumns()[static_cast<std::size_t>(index)];
        report.columns.push_back({index, QString::fromUtf8(spec.caption), spec.width, spec.alignment});
    }
    return report;
}

} // namespace tallyvane

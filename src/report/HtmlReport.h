// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "report/GridReport.h"
#include "report/ReportSink.h"

#include <QString>

namespace tallyvane {

// The grid described by report as an HTML table, UTF-8, with every entry of tree in its current
// order (entries inside collapsed folders too); lines end with CR LF, the last line "</table>"
// has none of its own.
void ExportHtml(const GridReport& report, const EntryTree& tree, const QString& caption, ReportSink& sink);

} // namespace tallyvane

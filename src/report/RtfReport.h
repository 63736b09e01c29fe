// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "report/GridReport.h"
#include "report/ReportSink.h"

namespace tallyvane {

// The grid described by report as an RTF document on one line, plain ASCII but for the font
// names in the font table, with every entry of tree in its current order.
void ExportRtf(const GridReport& report, const EntryTree& tree, ReportSink& sink);

} // namespace tallyvane

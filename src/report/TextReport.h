// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "report/GridReport.h"
#include "report/ReportSink.h"

#include <string_view>

namespace tallyvane {

// The grid described by report as delimited text in UTF-8, with every entry of tree in its
// current order, every line ended by CR LF. separator is written as its bytes stand; it must not
// be empty.
void ExportText(const GridReport& report, const EntryTree& tree, std::string_view separator, ReportSink& sink);

} // namespace tallyvane

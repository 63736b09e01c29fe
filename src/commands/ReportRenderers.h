// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "commands/GridReport.h"
#include "commands/ReportSink.h"

#include <QString>

namespace tallyvane {

// Each renderer writes the grid described by report, with every entry of tree in its current
// order (entries inside collapsed folders too), into sink. The texts are the grid's cell texts.

// An HTML table, UTF-8; lines end with CR LF, the last line "</table>" has none of its own.
void ExportHtml(const GridReport& report, const EntryTree& tree, const QString& caption,
                ReportSink& sink);

// An RTF document on one line, plain ASCII but for the font names in the font table.
void ExportRtf(const GridReport& report, const EntryTree& tree, ReportSink& sink);

// Delimited text in UTF-8, every line ended by CR LF; separator must not be empty.
void ExportText(const GridReport& report, const EntryTree& tree, const QString& separator,
                ReportSink& sink);

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"
#include "report/GridReport.h"
#include "report/ReportSink.h"

#include <string>
#include <string_view>

namespace tallyvane {

enum class ReportFormat { Html, Rtf, Text, Ncdu };

// The caption of the HTML report's page.
inline constexpr char HtmlReportCaption[] = "Zavaroze Duru HTML Export";

// The text report's field separator unless one is given.
inline constexpr std::string_view DefaultSeparator = "\t";

// Writes the grid described by report, with every entry of tree in its current order, as a
// report of format into sink, every line ended by CR LF. separator (bytes, not empty) serves
// the text format only. The ncdu format is the exception: it is the whole tree as JSON with
// LF line ends (see ExportNcdu), stamped with this program, its version and the current time. The window's export and
// the command line both come here, so the same tree gives the same bytes either way.
void RenderReport(ReportFormat format, const GridReport& report, const EntryTree& tree, std::string_view separator,
                  ReportSink& sink);

// Renders the report straight into the file at path, which is replaced only once the report
// is complete; a failure leaves an existing file as it was. Throws FileError.
void SaveReportFile(const std::string& path, ReportFormat format, const GridReport& report, const EntryTree& tree,
                    std::string_view separator);

} // namespace tallyvane

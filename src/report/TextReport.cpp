// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/TextReport.h"

#include "analysis/PreOrderWalk.h"
#include "presentation/GridColumns.h"
#include "report/ReportWriting.h"

#include <string>

namespace tallyvane {

using namespace reportwriting;

void ExportText(const GridReport& report, const EntryTree& tree, std::string_view separator, ReportSink& sink)
{
    const int maxLevel = MaxLevelOf(tree, report.depthLimit);
    Utf8Encoder utf8;
    const std::string_view sep = separator;
    const std::size_t last = report.columns.size() - 1;

    std::string out;
    for (std::size_t i = 0; i < report.columns.size(); ++i) {
        utf8.append(out, report.columns[i].caption);
        if (i != last) {
            if (isMain(report, report.columns[i]))
                appendRepeated(out, sep, maxLevel);
            out += sep;
        }
    }
    out += LineEnd;
    sink.write(out);

    std::string value;
    for (PreOrderWalk walk(tree, report.depthLimit); !walk.atEnd(); walk.next()) {
        out.clear();
        for (std::size_t i = 0; i < report.columns.size(); ++i) {
            const bool main = isMain(report, report.columns[i]);
            if (main)
                appendRepeated(out, sep, walk.level());
            value.clear();
            utf8.append(value, CellText(tree, walk.entry(), report.columns[i].index));
            // Besides the separator and the quote, a line break inside a name is quoted too:
            // unquoted it would split the entry's row in two.
            if (value.find(sep) != std::string::npos || value.find_first_of("\"\r\n") != std::string::npos) {
                out += '"';
                for (const char c : value) {
                    if (c == '"')
                        out += '"';
                    out += c;
                }
                out += '"';
            } else {
                out += value;
            }
            if (main)
                appendRepeated(out, sep, maxLevel - walk.level());
            if (i != last)
                out += sep;
        }
        out += LineEnd;
        sink.write(out);
    }
}

} // namespace tallyvane

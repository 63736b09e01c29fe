// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/RenderReport.h"

#include "platform/AtomicFile.h"
#include "report/HtmlReport.h"
#include "report/RtfReport.h"
#include "report/TextReport.h"

namespace tallyvane {

void RenderReport(ReportFormat format, const GridReport& report, const EntryTree& tree,
                  std::string_view separator, ReportSink& sink)
{
    CrLfSink lines(sink);
    switch (format) {
    case ReportFormat::Html:
        ExportHtml(report, tree, QString::fromUtf8(HtmlReportCaption), lines);
        break;
    case ReportFormat::Rtf:
        ExportRtf(report, tree, lines);
        break;
    case ReportFormat::Text:
        ExportText(report, tree, separator, lines);
        break;
    }
    lines.finish();
}

void SaveReportFile(const std::string& path, ReportFormat format, const GridReport& report,
                    const EntryTree& tree, std::string_view separator)
{
    AtomicFile file(path);
    FileReportSink sink(file);
    RenderReport(format, report, tree, separator, sink);
    file.commit();
}

} // namespace tallyvane

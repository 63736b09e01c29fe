// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/RenderReport.h"

#include "platform/AtomicFile.h"
#include "presentation/Version.h"
#include "report/HtmlReport.h"
#include "report/NcduReport.h"
#include "report/ReportWriting.h"
#include "report/RtfReport.h"
#include "report/TextReport.h"

#include <ctime>

namespace tallyvane {

void RenderReport(ReportFormat format, const GridReport& report, const EntryTree& tree, std::string_view separator,
                  ReportSink& sink)
{
    // The renderers end every row with CR LF themselves: a conversion of the whole text would
    // reach into the names as well. HTML and RTF leave their last line open.
    switch (format) {
    case ReportFormat::Html:
        ExportHtml(report, tree, QString::fromUtf8(HtmlReportCaption), sink);
        sink.write(reportwriting::LineEnd);
        break;
    case ReportFormat::Rtf:
        ExportRtf(report, tree, sink);
        sink.write(reportwriting::LineEnd);
        break;
    case ReportFormat::Text:
        ExportText(report, tree, separator, sink);
        break;
    case ReportFormat::Ncdu:
        // A file for other programs to read, with LF line ends as their own exports have.
        ExportNcdu(tree, {"tallyvane", ProgramVersion, static_cast<std::int64_t>(std::time(nullptr))}, sink);
        break;
    }
}

void SaveReportFile(const std::string& path, ReportFormat format, const GridReport& report, const EntryTree& tree,
                    std::string_view separator)
{
    AtomicFile file(path);
    FileReportSink sink(file);
    RenderReport(format, report, tree, separator, sink);
    file.commit();
}

} // namespace tallyvane

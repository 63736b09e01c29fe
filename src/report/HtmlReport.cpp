// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/HtmlReport.h"

#include "analysis/PreOrderWalk.h"
#include "presentation/GridColumns.h"
#include "report/ReportWriting.h"

#include <string>
#include <string_view>

namespace tallyvane {

using namespace reportwriting;
namespace {

std::string_view htmlAlign(Alignment alignment)
{
    return alignment == Alignment::Right ? " align=right" : " align=left";
}

void appendColorText(std::string& out, Rgb rgb)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    out += '#';
    for (const std::uint8_t part : {rgb.red, rgb.green, rgb.blue}) {
        out += Hex[part >> 4];
        out += Hex[part & 0xF];
    }
}

// Names and captions may hold markup characters; written raw, a file called "<script>" would
// become live markup in the saved page.
void appendHtmlEscaped(std::string& out, std::string_view utf8)
{
    for (const char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        // A line break of a name stays the name's own byte, not a line end of the file.
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            out += c;
        }
    }
}

void appendHtmlStyle(std::string& out, std::string_view className, const ReportFont& font)
{
    out += '.';
    out += className;
    out += "{font: ";
    appendNumber(out, font.points);
    out += "pt \"";
    out += font.name;
    out += "\";color:";
    appendColorText(out, font.color.rgb);
    out += ";}";
    out += LineEnd;
}

} // namespace

void ExportHtml(const GridReport& report, const EntryTree& tree, const QString& caption, ReportSink& sink)
{
    const int maxLevel = MaxLevelOf(tree, report.depthLimit);
    Utf8Encoder utf8;
    std::string padding = "padding-left:";
    appendNumber(padding, report.cellMargin);
    padding += "px;padding-right:";
    appendNumber(padding, report.cellMargin);
    padding += "px;";

    std::string out = "<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                      "<style type=\"text/css\">";
    out += LineEnd;
    appendHtmlStyle(out, "default", report.gridFont);
    appendHtmlStyle(out, "header", report.headerFont);
    out += ".noborder{border-style:solid; border-bottom:1;border-left:0;border-right:0; border-top:0;";
    out += padding;
    out += '}';
    out += LineEnd;
    out += ".normalborder {border-top:none; border-left:none; vertical-align:top;"
           "border-right:1 solid;border-bottom:1 solid;";
    out += padding;
    out += "}</style>";
    out += LineEnd;
    out += "<table class=\"default\" bgcolor=";
    appendColorText(out, report.gridColor);
    out += " caption=\"";
    appendHtmlEscaped(out, utf8.encode(caption));
    out += "\" border=\"1\" frame=box cellspacing=\"0\" cellpadding=";
    appendNumber(out, report.cellMargin);
    out += '>';
    out += LineEnd;
    out += "<tr class=\"header\" style=\"";
    out += padding;
    out += "\">";
    out += LineEnd;
    for (const ReportColumn& column : report.columns) {
        out += "<th height=\"";
        appendNumber(out, report.headerHeight);
        out += "px\"";
        out += htmlAlign(column.alignment);
        // The main column spans MaxLevel + 1 table columns: the indentation cells of the deepest
        // entries stand below it.
        if (isMain(report, column) && maxLevel > 0) {
            out += " colspan=\"";
            appendNumber(out, maxLevel + 1);
            out += '"';
        }
        out += " bgcolor=";
        appendColorText(out, report.buttonFace);
        out += " width=\"";
        appendNumber(out, column.width);
        out += "px\">";
        appendHtmlEscaped(out, utf8.encode(column.caption));
        out += "</th>";
    }
    out += "</tr>";
    out += LineEnd;
    sink.write(out);

    std::string height;
    appendNumber(height, report.rowHeight);
    height += "px\"";
    std::string text;
    for (PreOrderWalk walk(tree, report.depthLimit); !walk.atEnd(); walk.next()) {
        const int level = walk.level();
        out.clear();
        out += " <tr class=\"default\">";
        out += LineEnd;
        for (const ReportColumn& column : report.columns) {
            const bool main = isMain(report, column);
            if (main && level >= 1) {
                out += " <td height=\"";
                out += height;
                out += ">&nbsp;</td>";
                appendRepeated(out, " <td>&nbsp;</td>", level - 1);
            }
            out += " <td class=\"normalborder\"  height=\"";
            out += height;
            out += htmlAlign(column.alignment);
            if (main && level < maxLevel) {
                out += " colspan=\"";
                appendNumber(out, maxLevel - level + 1);
                out += '"';
            }
            out += '>';
            text.clear();
            utf8.append(text, CellText(tree, walk.entry(), column.index));
            appendHtmlEscaped(out, text);
            out += "</td>";
        }
        out += " </tr>";
        out += LineEnd;
        sink.write(out);
    }
    sink.write("</table>");
}

} // namespace tallyvane

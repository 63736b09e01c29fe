// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/HtmlReport.h"
#include "report/RenderReport.h"
#include "report/RtfReport.h"
#include "report/TextReport.h"

#include "platform/FileAttributes.h"
#include "presentation/GridColumns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

constexpr std::uint32_t File = Attribute::Normal;
constexpr std::uint32_t Folder = Attribute::Directory;
const QString Caption = QStringLiteral("Zavaroze Duru HTML Export");

// The analysed folder /data holding the one file a.txt of 1234 bytes.
struct ExampleTree {
    EntryTree tree;
    EntryId root = tree.addEntry(NoEntry, Folder, 1234, "/data");
    EntryId file = tree.addEntry(root, File, 1234, "a.txt");
};

// /data (1000) > sub (750) > f (750), and /data > g (250): MaxLevel 2, every share exact.
struct NestedTree {
    EntryTree tree;
    EntryId root = tree.addEntry(NoEntry, Folder, 1000, "/data");
    EntryId sub = tree.addEntry(root, Folder, 750, "sub");
    EntryId f = tree.addEntry(sub, File, 750, "f");
    EntryId g = tree.addEntry(root, File, 250, "g");
};

// The default grid showing only the given columns, in the given order.
GridReport ReportWith(const std::vector<int>& indexes)
{
    const GridReport all = DefaultGridReport();
    GridReport report = all;
    report.columns.clear();
    for (const int index : indexes)
        report.columns.push_back(all.columns[static_cast<std::size_t>(index)]);
    return report;
}

std::string Html(const GridReport& report, const EntryTree& tree, const QString& caption = Caption)
{
    StringSink sink;
    ExportHtml(report, tree, caption, sink);
    return sink.text();
}

std::string Rtf(const GridReport& report, const EntryTree& tree)
{
    StringSink sink;
    ExportRtf(report, tree, sink);
    return sink.text();
}

std::string Text(const GridReport& report, const EntryTree& tree, std::string_view separator)
{
    StringSink sink;
    ExportText(report, tree, separator, sink);
    return sink.text();
}

// The text split at each CR LF; a line break of any other kind stays inside its line.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

// The RTF table's rows, the header row first, each up to and including its \row.
std::vector<std::string> RtfRows(const std::string& rtf)
{
    std::vector<std::string> rows;
    const std::string end = "\\row";
    std::size_t start = rtf.find("\\pard\\intbl");
    for (std::size_t stop; (stop = rtf.find(end, start)) != std::string::npos; start = stop + end.size())
        rows.push_back(rtf.substr(start, stop + end.size() - start));
    return rows;
}

std::string Replace(std::string text, char placeholder, const std::string& by)
{
    for (std::size_t at; (at = text.find(placeholder)) != std::string::npos;)
        text.replace(at, 1, by);
    return text;
}

// ---------------------------------------------------------------------------------------------
// HTML

TEST(ExportHtml, ExampleTreeByteExact)
{
    const ExampleTree example;
    const std::string expected =
        "<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"><style type=\"text/css\">\r\n"
        ".default{font: 8pt \"Arial\";color:#000000;}\r\n"
        ".header{font: 9pt \"宋体\";color:#000000;}\r\n"
        ".noborder{border-style:solid; border-bottom:1;border-left:0;border-right:0; border-top:0;"
        "padding-left:4px;padding-right:4px;}\r\n"
        ".normalborder {border-top:none; border-left:none; vertical-align:top;border-right:1 solid;"
        "border-bottom:1 solid;padding-left:4px;padding-right:4px;}</style>\r\n"
        "<table class=\"default\" bgcolor=#FFFFFF caption=\"Zavaroze Duru HTML Export\" border=\"1\" "
        "frame=box cellspacing=\"0\" cellpadding=4>\r\n"
        "<tr class=\"header\" style=\"padding-left:4px;padding-right:4px;\">\r\n"
        "<th height=\"17px\" align=left colspan=\"2\" bgcolor=#F0F0F0 width=\"200px\">名称</th>"
        "<th height=\"17px\" align=right bgcolor=#F0F0F0 width=\"100px\">大小(字节)</th>"
        "<th height=\"17px\" align=right bgcolor=#F0F0F0 width=\"60px\">大小</th>"
        "<th height=\"17px\" align=right bgcolor=#F0F0F0 width=\"80px\">文件夹内%</th>"
        "<th height=\"17px\" align=left bgcolor=#F0F0F0 width=\"206px\">文件夹内比列图</th>"
        "<th height=\"17px\" align=right bgcolor=#F0F0F0 width=\"60px\">总%</th>"
        "<th height=\"17px\" align=left bgcolor=#F0F0F0 width=\"206px\">总比列图</th></tr>\r\n"
        " <tr class=\"default\">\r\n"
        " <td class=\"normalborder\"  height=\"18px\" align=left colspan=\"2\">/data</td>"
        " <td class=\"normalborder\"  height=\"18px\" align=right>1,234</td>"
        " <td class=\"normalborder\"  height=\"18px\" align=right>1KB</td>"
        " <td class=\"normalborder\"  height=\"18px\" align=right></td>"
        " <td class=\"normalborder\"  height=\"18px\" align=left></td>"
        " <td class=\"normalborder\"  height=\"18px\" align=right></td>"
        " <td class=\"normalborder\"  height=\"18px\" align=left></td> </tr>\r\n"
        " <tr class=\"default\">\r\n"
        " <td height=\"18px\">&nbsp;</td>"
        " <td class=\"normalborder\"  height=\"18px\" align=left>a.txt</td>"
        " <td class=\"normalborder\"  height=\"18px\" align=right>1,234</td>"
        " <td class=\"normalborder\"  height=\"18px\" align=right>1KB</td>"
        " <td class=\"normalborder\"  height=\"18px\" align=right>100.00%</td>"
        " <td class=\"normalborder\"  height=\"18px\" align=left></td>"
        " <td class=\"normalborder\"  height=\"18px\" align=right>100.00%</td>"
        " <td class=\"normalborder\"  height=\"18px\" align=left></td> </tr>\r\n"
        "</table>";
    EXPECT_EQ(Html(DefaultGridReport(), example.tree), expected);
}

TEST(ExportHtml, TakesFontsColoursAndMetricsFromTheGrid)
{
    const ExampleTree example;
    GridReport report = ReportWith({ColumnName});
    report.gridFont = {"Verdana", 10, {ReportColor::Source::WindowText, {0x12, 0xAB, 0x0F}}};
    report.headerFont = {"Tahoma", 11, {ReportColor::Source::Fixed, {0xFE, 0xDC, 0xBA}}};
    report.gridColor = {1, 2, 3};
    report.buttonFace = {0xD4, 0xD0, 0xC8};
    report.cellMargin = 6;
    report.headerHeight = 20;
    report.rowHeight = 22;
    const std::vector<std::string> lines = Lines(Html(report, example.tree));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[1], ".default{font: 10pt \"Verdana\";color:#12AB0F;}");
    EXPECT_EQ(lines[2], ".header{font: 11pt \"Tahoma\";color:#FEDCBA;}");
    EXPECT_EQ(lines[3],
              ".noborder{border-style:solid; border-bottom:1;border-left:0;border-right:0; "
              "border-top:0;padding-left:6px;padding-right:6px;}");
    EXPECT_EQ(lines[5],
              "<table class=\"default\" bgcolor=#010203 caption=\"Zavaroze Duru HTML Export\" "
              "border=\"1\" frame=box cellspacing=\"0\" cellpadding=6>");
    EXPECT_EQ(lines[6], "<tr class=\"header\" style=\"padding-left:6px;padding-right:6px;\">");
    EXPECT_EQ(lines[7], "<th height=\"20px\" align=left colspan=\"2\" bgcolor=#D4D0C8 width=\"200px\">名称</th></tr>");
    EXPECT_EQ(lines[11],
              " <td height=\"22px\">&nbsp;</td> <td class=\"normalborder\"  height=\"22px\" "
              "align=left>a.txt</td> </tr>");
}

// Columns 2 and 5 around the main column: the indentation cells and the colspans follow the
// main column to its place, and the hidden columns leave no cell behind.
TEST(ExportHtml, MainColumnMovedBetweenOthers)
{
    const NestedTree nested;
    GridReport report = ReportWith({ColumnSize, ColumnName, ColumnShareOfTotal});
    report.columns[1].width = 150;
    const std::vector<std::string> lines = Lines(Html(report, nested.tree));
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[7],
              "<th height=\"17px\" align=right bgcolor=#F0F0F0 width=\"60px\">大小</th>"
              "<th height=\"17px\" align=left colspan=\"3\" bgcolor=#F0F0F0 width=\"150px\">名称</th>"
              "<th height=\"17px\" align=right bgcolor=#F0F0F0 width=\"60px\">总%</th></tr>");
    const std::string size = " <td class=\"normalborder\"  height=\"18px\" align=right>";
    const std::string name = " <td class=\"normalborder\"  height=\"18px\" align=left";
    const std::string indent = " <td height=\"18px\">&nbsp;</td>";
    EXPECT_EQ(lines[9], size + "1000Byte</td>" + name + " colspan=\"3\">/data</td>" + size + "</td> </tr>");
    EXPECT_EQ(lines[11],
              size + "750Byte</td>" + indent + name + " colspan=\"2\">sub</td>" + size + "75.00%</td> </tr>");
    EXPECT_EQ(lines[13],
              size + "750Byte</td>" + indent + " <td>&nbsp;</td>" + name + ">f</td>" + size + "75.00%</td> </tr>");
    EXPECT_EQ(lines[15], size + "250Byte</td>" + indent + name + " colspan=\"2\">g</td>" + size + "25.00%</td> </tr>");
}

TEST(ExportHtml, RootAloneHasNoColspanAndNoIndentation)
{
    EntryTree tree;
    tree.addEntry(NoEntry, Folder, 0, "/empty");
    const std::string html = Html(DefaultGridReport(), tree);
    EXPECT_EQ(html.find("colspan"), std::string::npos);
    EXPECT_EQ(html.find("&nbsp;"), std::string::npos);
    const std::vector<std::string> lines = Lines(html);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_TRUE(lines[7].starts_with("<th height=\"17px\" align=left bgcolor=#F0F0F0 width=\"200px\">名称</th>"));
    EXPECT_TRUE(lines[9].starts_with(" <td class=\"normalborder\"  height=\"18px\" align=left>/empty</td>"
                                     " <td class=\"normalborder\"  height=\"18px\" align=right></td>"
                                     " <td class=\"normalborder\"  height=\"18px\" align=right>0Byte</td>"));
    EXPECT_EQ(lines[10], "</table>");
}

TEST(ExportHtml, EmptyTreeGivesTheHeaderOnly)
{
    const EntryTree tree;
    const std::vector<std::string> lines = Lines(Html(ReportWith({ColumnName, ColumnSize}), tree));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[7],
              "<th height=\"17px\" align=left bgcolor=#F0F0F0 width=\"200px\">名称</th>"
              "<th height=\"17px\" align=right bgcolor=#F0F0F0 width=\"60px\">大小</th></tr>");
    EXPECT_EQ(lines[8], "</table>");
}

TEST(ExportHtml, DepthLimitSetsMaxLevelFromTheExportedEntries)
{
    const NestedTree nested;
    GridReport report = ReportWith({ColumnName});
    report.depthLimit = 1;
    const std::vector<std::string> lines = Lines(Html(report, nested.tree));
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[7], "<th height=\"17px\" align=left colspan=\"2\" bgcolor=#F0F0F0 width=\"200px\">名称</th></tr>");
    EXPECT_EQ(lines[9], " <td class=\"normalborder\"  height=\"18px\" align=left colspan=\"2\">/data</td> </tr>");
    EXPECT_EQ(lines[11],
              " <td height=\"18px\">&nbsp;</td> <td class=\"normalborder\"  height=\"18px\" "
              "align=left>sub</td> </tr>");
    EXPECT_EQ(lines[13],
              " <td height=\"18px\">&nbsp;</td> <td class=\"normalborder\"  height=\"18px\" "
              "align=left>g</td> </tr>");
}

TEST(ExportHtml, EscapesMarkupInCaptionAndColumnCaptions)
{
    const ExampleTree example;
    GridReport report = ReportWith({ColumnName});
    report.columns[0].caption = QStringLiteral("<b>\"名\"&</b>");
    const std::vector<std::string> lines = Lines(Html(report, example.tree, QStringLiteral("R&D \"<x>\"")));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[5],
              "<table class=\"default\" bgcolor=#FFFFFF caption=\"R&amp;D &quot;&lt;x&gt;&quot;\" "
              "border=\"1\" frame=box cellspacing=\"0\" cellpadding=4>");
    EXPECT_EQ(lines[7],
              "<th height=\"17px\" align=left colspan=\"2\" bgcolor=#F0F0F0 width=\"200px\">"
              "&lt;b&gt;&quot;名&quot;&amp;&lt;/b&gt;</th></tr>");
}

// ---------------------------------------------------------------------------------------------
// RTF

const std::string RtfHeaderRow =
    R"(\pard\intbl\f0\cf1\fs18 \u21517\'3f\u31216\'3f\cell)"
    R"(\qr \u22823\'3f\u23567\'3f\u40\'3f\u23383\'3f\u-32126\'3f\u41\'3f\cell)"
    R"(\qr \u22823\'3f\u23567\'3f\cell)"
    R"(\qr \u25991\'3f\u20214\'3f\u22841\'3f\u20869\'3f\u37\'3f\cell)"
    R"( \u25991\'3f\u20214\'3f\u22841\'3f\u20869\'3f\u27604\'3f\u21015\'3f\u22270\'3f\cell)"
    R"(\qr \u24635\'3f\u37\'3f\cell)"
    R"( \u24635\'3f\u27604\'3f\u21015\'3f\u22270\'3f\cell\row)";

TEST(ExportRtf, ExampleTreeByteExact)
{
    const ExampleTree example;
    const std::string expected = std::string(R"({\rtf1\ansi\ansicpg1252\deff0\deflang1043{\fonttbl{\f0 )")
        + "\xCB\xCE\xCC\xE5"
        + R"(;}{\f1 Arial;}}{\colortbl;\red0\green0\blue0;\red0\green0\blue0;})"
          R"(\uc1\trowd\trgaph70\cellx3000\cellx4500\cellx5400\cellx6600\cellx9690\cellx10590\cellx13680)"
        + RtfHeaderRow
        + R"(\pard\intbl\f1\cf2\fs16 \u47\'3f\u100\'3f\u97\'3f\u116\'3f\u97\'3f\cell)"
          R"(\pard\intbl\qr \u49\'3f\u44\'3f\u50\'3f\u51\'3f\u52\'3f\cell)"
          R"(\pard\intbl\qr \u49\'3f\u75\'3f\u66\'3f\cell)"
          R"(\pard\intbl\qr\cell)"
          R"(\pard\intbl\cell)"
          R"(\pard\intbl\qr\cell)"
          R"(\pard\intbl\cell\row)"
          R"(\pard\intbl\tab  \u97\'3f\u46\'3f\u116\'3f\u120\'3f\u116\'3f\cell)"
          R"(\pard\intbl\qr \u49\'3f\u44\'3f\u50\'3f\u51\'3f\u52\'3f\cell)"
          R"(\pard\intbl\qr \u49\'3f\u75\'3f\u66\'3f\cell)"
          R"(\pard\intbl\qr \u49\'3f\u48\'3f\u48\'3f\u46\'3f\u48\'3f\u48\'3f\u37\'3f\cell)"
          R"(\pard\intbl\cell)"
          R"(\pard\intbl\qr \u49\'3f\u48\'3f\u48\'3f\u46\'3f\u48\'3f\u48\'3f\u37\'3f\cell)"
          R"(\pard\intbl\cell\row)"
          R"(\pard\par})";
    EXPECT_EQ(Rtf(DefaultGridReport(), example.tree), expected);
}

struct RtfTablesCase {
    const char* what;
    ReportFont headerFont;
    ReportFont gridFont;
    std::string tables;         // from {\fonttbl to the end of the colour table
    std::string firstHeaderRun; // what opens the header's first cell
    std::string firstDataRun;   // what opens the root entry's name cell
};

void PrintTo(const RtfTablesCase& c, std::ostream* os)
{
    *os << c.what;
}

class ExportRtfTables : public testing::TestWithParam<RtfTablesCase> {};

// The font and colour tables list what the runs use, in the order of first use, and a run
// names only what differs from the run before it.
TEST_P(ExportRtfTables, ListFontsAndColoursInOrderOfFirstUse)
{
    const ExampleTree example;
    GridReport report = ReportWith({ColumnName});
    report.headerFont = GetParam().headerFont;
    report.gridFont = GetParam().gridFont;
    const std::string rtf = Rtf(report, example.tree);
    const std::string head = R"({\rtf1\ansi\ansicpg1252\deff0\deflang1043)";
    EXPECT_EQ(rtf,
              head + GetParam().tables + R"(\uc1\trowd\trgaph70\cellx3000\pard\intbl)" + GetParam().firstHeaderRun
                  + R"( \u21517\'3f\u31216\'3f\cell\row\pard\intbl)" + GetParam().firstDataRun
                  + R"( \u47\'3f\u100\'3f\u97\'3f\u116\'3f\u97\'3f\cell\row)"
                  + R"(\pard\intbl\tab  \u97\'3f\u46\'3f\u116\'3f\u120\'3f\u116\'3f\cell\row\pard\par})");
}

using Source = ReportColor::Source;
constexpr ReportColor Black{Source::Fixed, {0, 0, 0}};
constexpr ReportColor WindowTextBlack{Source::WindowText, {0, 0, 0}};

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportRtfTables,
    testing::Values(RtfTablesCase{"NamesDifferingInCaseAreOneFont",
                                  {"ARIAL", 9, Black},
                                  {"Arial", 8, WindowTextBlack},
                                  R"({\fonttbl{\f0 ARIAL;}}{\colortbl;\red0\green0\blue0;\red0\green0\blue0;})",
                                  R"(\f0\cf1\fs18)",
                                  R"(\cf2\fs16)"},
                    RtfTablesCase{"EqualColoursAreOneEntry",
                                  {"Tahoma", 8, Black},
                                  {"Arial", 8, Black},
                                  R"({\fonttbl{\f0 Tahoma;}{\f1 Arial;}}{\colortbl;\red0\green0\blue0;})",
                                  R"(\f0\cf1\fs16)",
                                  R"(\f1)"},
                    RtfTablesCase{"SameFontAndColourWriteOnlyTheSize",
                                  {"Arial", 9, Black},
                                  {"arial", 8, Black},
                                  R"({\fonttbl{\f0 Arial;}}{\colortbl;\red0\green0\blue0;})",
                                  R"(\f0\cf1\fs18)",
                                  R"(\fs16)"},
                    RtfTablesCase{"SameFontEverywhereWritesNothing",
                                  {"Arial", 8, Black},
                                  {"Arial", 8, Black},
                                  R"({\fonttbl{\f0 Arial;}}{\colortbl;\red0\green0\blue0;})",
                                  R"(\f0\cf1\fs16)",
                                  ""},
                    RtfTablesCase{"ColourPartsInDecimal",
                                  {"Arial", 8, {Source::Fixed, {255, 128, 7}}},
                                  {"Arial", 8, {Source::WindowText, {1, 2, 3}}},
                                  R"({\fonttbl{\f0 Arial;}}{\colortbl;\red255\green128\blue7;\red1\green2\blue3;})",
                                  R"(\f0\cf1\fs16)",
                                  R"(\cf2)"},
                    RtfTablesCase{"ChineseFontNamesInGbk",
                                  {"黑体", 9, Black},
                                  {"微软雅黑", 8, Black},
                                  std::string(R"({\fonttbl{\f0 )") + "\xBA\xDA\xCC\xE5" + R"(;}{\f1 )"
                                      + "\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA" + R"(;}}{\colortbl;\red0\green0\blue0;})",
                                  R"(\f0\cf1\fs18)",
                                  R"(\f1\fs16)"},
                    RtfTablesCase{"UnknownNonAsciiFontCharacterIsQuestionMark",
                                  {"Ж Font", 9, Black},
                                  {"Font😀", 8, Black},
                                  R"({\fonttbl{\f0 ? Font;}{\f1 Font?;}}{\colortbl;\red0\green0\blue0;})",
                                  R"(\f0\cf1\fs18)",
                                  R"(\f1\fs16)"}),
    [](const testing::TestParamInfo<RtfTablesCase>& info) { return info.param.what; });

TEST(ExportRtf, WithoutHeaderCaptionsTheGridFontComesFirst)
{
    const ExampleTree example;
    GridReport report = ReportWith({ColumnName, ColumnBytes});
    for (ReportColumn& column : report.columns)
        column.caption.clear();
    const std::string rtf = Rtf(report, example.tree);
    EXPECT_TRUE(rtf.starts_with(R"({\rtf1\ansi\ansicpg1252\deff0\deflang1043{\fonttbl{\f0 Arial;}})"
                                R"({\colortbl;\red0\green0\blue0;}\uc1\trowd\trgaph70\cellx3000\cellx4500)"
                                R"(\pard\intbl\cell\qr\cell\row\pard\intbl\f0\cf1\fs16 \u47\'3f)"))
        << rtf;
}

// Only the bar columns: no data cell holds text, so the grid font is never used or listed.
TEST(ExportRtf, WithoutDataTextOnlyTheHeaderFontIsListed)
{
    const ExampleTree example;
    const std::string rtf = Rtf(ReportWith({ColumnShareInFolderBar, ColumnShareOfTotalBar}), example.tree);
    EXPECT_EQ(rtf,
              std::string(R"({\rtf1\ansi\ansicpg1252\deff0\deflang1043{\fonttbl{\f0 )") + "\xCB\xCE\xCC\xE5"
                  + R"(;}}{\colortbl;\red0\green0\blue0;}\uc1\trowd\trgaph70\cellx3090\cellx6180)"
                    R"(\pard\intbl\f0\cf1\fs18 \u25991\'3f\u20214\'3f\u22841\'3f\u20869\'3f\u27604\'3f)"
                    R"(\u21015\'3f\u22270\'3f\cell \u24635\'3f\u27604\'3f\u21015\'3f\u22270\'3f\cell\row)"
                    R"(\pard\intbl\cell\pard\intbl\cell\row\pard\intbl\cell\pard\intbl\cell\row\pard\par})");
}

struct TwipsCase {
    int pixelsPerInch;
    std::vector<int> widths;
    std::string cellx;
};

void PrintTo(const TwipsCase& c, std::ostream* os)
{
    *os << c.pixelsPerInch << " ppi, " << c.cellx;
}

class ExportRtfTwips : public testing::TestWithParam<TwipsCase> {};

TEST_P(ExportRtfTwips, RightEdgesRoundHalfToEven)
{
    const EntryTree tree;
    GridReport report = DefaultGridReport();
    report.pixelsPerInch = GetParam().pixelsPerInch;
    report.columns.resize(GetParam().widths.size());
    for (std::size_t i = 0; i < report.columns.size(); ++i)
        report.columns[i].width = GetParam().widths[i];
    const std::string rtf = Rtf(report, tree);
    const std::size_t start = rtf.find("\\trgaph70") + 9;
    EXPECT_EQ(rtf.substr(start, rtf.find("\\pard") - start), GetParam().cellx);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExportRtfTwips,
                         testing::Values(
                             // 7.5 twips per pixel: 7.5 rounds up to 8, 22.5 down to 22, 37.5 up to 38.
                             TwipsCase{192, {1, 2, 2}, R"(\cellx8\cellx22\cellx38)"},
                             // 13.09 twips per pixel: 39.27 rounds down, 91.64 up.
                             TwipsCase{110, {3, 4, 200}, R"(\cellx39\cellx92\cellx2710)"},
                             TwipsCase{144, {200, 100}, R"(\cellx2000\cellx3000)"},
                             TwipsCase{96, {0, 200}, R"(\cellx0\cellx3000)"}));

struct HostileName {
    const char* what;
    std::string name; // bytes as the file system gives them
    std::string html; // the HTML cell's content
    std::string rtf;  // the RTF run's escapes
    std::string text; // the delimited field with separator ";"
};

void PrintTo(const HostileName& c, std::ostream* os)
{
    *os << c.what;
}

class HostileNames : public testing::TestWithParam<HostileName> {};

INSTANTIATE_TEST_SUITE_P(
    Names, HostileNames,
    testing::Values(HostileName{"DoubleQuote", "a\"b", "a&quot;b", R"(\u97\'3f\u34\'3f\u98\'3f)", "\"a\"\"b\""},
                    HostileName{"Markup", "&<>", "&amp;&lt;&gt;", R"(\u38\'3f\u60\'3f\u62\'3f)", "&<>"},
                    HostileName{"Script", "<script>", "&lt;script&gt;",
                                R"(\u60\'3f\u115\'3f\u99\'3f\u114\'3f\u105\'3f\u112\'3f\u116\'3f\u62\'3f)", "<script>"},
                    HostileName{"Separator", "a;b", "a;b", R"(\u97\'3f\u59\'3f\u98\'3f)", "\"a;b\""},
                    HostileName{"LineFeed", "a\nb", "a&#10;b", R"(\u97\'3f{\par}\u98\'3f)", "\"a\nb\""},
                    HostileName{"CarriageReturn", "a\rb", "a&#13;b", R"(\u97\'3f\u98\'3f)", "\"a\rb\""},
                    HostileName{"InvalidUtf8",
                                "\xFF"
                                "a\xC3",
                                "\xEF\xBF\xBD"
                                "a\xEF\xBF\xBD",
                                R"(\u-3\'3f\u97\'3f\u-3\'3f)",
                                "\xEF\xBF\xBD"
                                "a\xEF\xBF\xBD"},
                    HostileName{"Chinese", "节点", "节点", R"(\u-32126\'3f\u28857\'3f)", "节点"},
                    HostileName{"OutsideTheBmp", "😀", "😀", R"(\u-10179\'3f\u-8704\'3f)", "😀"}),
    [](const testing::TestParamInfo<HostileName>& info) { return info.param.what; });

TEST_P(HostileNames, StayInsideTheirCell)
{
    EntryTree tree;
    tree.addEntry(NoEntry, Folder, 0, GetParam().name);
    const GridReport report = ReportWith({ColumnName});

    const std::vector<std::string> html = Lines(Html(report, tree));
    ASSERT_EQ(html.size(), 11u);
    EXPECT_EQ(html[9], " <td class=\"normalborder\"  height=\"18px\" align=left>" + GetParam().html + "</td> </tr>");

    EXPECT_EQ(RtfRows(Rtf(report, tree)).back(), R"(\pard\intbl\f1\cf2\fs16 )" + GetParam().rtf + R"(\cell\row)");

    EXPECT_EQ(Text(report, tree, ";"), "名称\r\n" + GetParam().text + "\r\n");
}

// A saved report is what the renderer wrote, ended by a line end: nothing between reaches into
// a name to change its line breaks.
TEST_P(HostileNames, AreSavedAsTheRendererWroteThem)
{
    EntryTree tree;
    tree.addEntry(NoEntry, Folder, 0, GetParam().name);
    const GridReport report = ReportWith({ColumnName});
    const std::pair<ReportFormat, std::string> cases[] = {
        {ReportFormat::Html, Html(report, tree, QString::fromUtf8(HtmlReportCaption)) + "\r\n"},
        {ReportFormat::Rtf, Rtf(report, tree) + "\r\n"},
        {ReportFormat::Text, Text(report, tree, ";")},
    };
    for (const auto& [format, expected] : cases) {
        StringSink sink;
        RenderReport(format, report, tree, ";", sink);
        EXPECT_EQ(sink.text(), expected) << static_cast<int>(format);
    }
}

TEST(ExportRtf, IndentsByLevelAndKeepsTheGridFontAcrossRows)
{
    const NestedTree nested;
    GridReport report = ReportWith({ColumnBytes, ColumnName});
    const std::vector<std::string> rows = RtfRows(Rtf(report, nested.tree));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1],
              R"(\pard\intbl\qr\f1\cf2\fs16 \u49\'3f\u44\'3f\u48\'3f\u48\'3f\u48\'3f\cell)"
              R"(\pard\intbl \u47\'3f\u100\'3f\u97\'3f\u116\'3f\u97\'3f\cell\row)");
    EXPECT_EQ(rows[2],
              R"(\pard\intbl\qr \u55\'3f\u53\'3f\u48\'3f\cell\pard\intbl\tab  \u115\'3f\u117\'3f\u98\'3f\cell\row)");
    EXPECT_EQ(rows[3], R"(\pard\intbl\qr \u55\'3f\u53\'3f\u48\'3f\cell\pard\intbl\tab\tab  \u102\'3f\cell\row)");
    EXPECT_EQ(rows[4], R"(\pard\intbl\qr \u50\'3f\u53\'3f\u48\'3f\cell\pard\intbl\tab  \u103\'3f\cell\row)");
}

TEST(ExportRtf, DepthLimitLeavesDeeperEntriesOut)
{
    const NestedTree nested;
    GridReport report = ReportWith({ColumnName});
    report.depthLimit = 0;
    const std::vector<std::string> rows = RtfRows(Rtf(report, nested.tree));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], R"(\pard\intbl\f1\cf2\fs16 \u47\'3f\u100\'3f\u97\'3f\u116\'3f\u97\'3f\cell\row)");
}

// ---------------------------------------------------------------------------------------------
// Delimited text

class ExportTextSeparators : public testing::TestWithParam<const char*> {};

// '$' stands for the separator.
TEST_P(ExportTextSeparators, ExampleTreeByteExact)
{
    const ExampleTree example;
    const std::string separator = GetParam();
    const std::string expected = Replace("名称$$大小(字节)$大小$文件夹内%$文件夹内比列图$总%$总比列图\r\n"
                                         "/data$$1,234$1KB$$$$\r\n"
                                         "$a.txt$1,234$1KB$100.00%$$100.00%$\r\n",
                                         '$', separator);
    EXPECT_EQ(Text(DefaultGridReport(), example.tree, separator), expected);
}

// A separator is written as its bytes stand, even bytes that are no UTF-8 of their own.
INSTANTIATE_TEST_SUITE_P(Separators, ExportTextSeparators, testing::Values("\t", ";", "||", "、", "\xFF"));

TEST(ExportText, QuotesCellTextsHoldingTheSeparator)
{
    const ExampleTree example;
    EXPECT_EQ(Text(DefaultGridReport(), example.tree, ","),
              "名称,,大小(字节),大小,文件夹内%,文件夹内比列图,总%,总比列图\r\n"
              "/data,,\"1,234\",1KB,,,,\r\n"
              ",a.txt,\"1,234\",1KB,100.00%,,100.00%,\r\n");
}

// A separator of several characters quotes only where it occurs whole.
TEST(ExportText, MultiCharacterSeparatorMatchesWhole)
{
    EntryTree tree;
    const EntryId root = tree.addEntry(NoEntry, Folder, 0, "a|b");
    tree.addEntry(root, File, 0, "a||b");
    EXPECT_EQ(Text(ReportWith({ColumnName}), tree, "||"), "名称\r\na|b||\r\n||\"a||b\"\r\n");
}

struct TextColumnsCase {
    const char* what;
    std::vector<int> columns;
    int depthLimit;
    std::string expected; // '$' stands for the separator ";"
};

void PrintTo(const TextColumnsCase& c, std::ostream* os)
{
    *os << c.what;
}

class ExportTextColumns : public testing::TestWithParam<TextColumnsCase> {};

TEST_P(ExportTextColumns, MainColumnCarriesTheIndentation)
{
    const NestedTree nested;
    GridReport report = ReportWith(GetParam().columns);
    report.depthLimit = GetParam().depthLimit;
    EXPECT_EQ(Text(report, nested.tree, ";"), Replace(GetParam().expected, '$', ";"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportTextColumns,
    testing::Values(TextColumnsCase{"MainFirst",
                                    {ColumnName, ColumnShareOfTotal},
                                    -1,
                                    "名称$$$总%\r\n/data$$$\r\n$sub$$75.00%\r\n$$f$75.00%\r\n$g$$25.00%\r\n"},
                    TextColumnsCase{"MainInTheMiddle",
                                    {ColumnSize, ColumnName, ColumnShareOfTotal},
                                    -1,
                                    "大小$名称$$$总%\r\n1000Byte$/data$$$\r\n750Byte$$sub$$75.00%\r\n"
                                    "750Byte$$$f$75.00%\r\n250Byte$$g$$25.00%\r\n"},
                    // The header adds the main column's extra separators only between columns.
                    TextColumnsCase{"MainLast",
                                    {ColumnSize, ColumnName},
                                    -1,
                                    "大小$名称\r\n1000Byte$/data$$\r\n750Byte$$sub$\r\n750Byte$$$f\r\n250Byte$$g$\r\n"},
                    TextColumnsCase{"MainAlone", {ColumnName}, -1, "名称\r\n/data$$\r\n$sub$\r\n$$f\r\n$g$\r\n"},
                    TextColumnsCase{"DepthLimitOne",
                                    {ColumnName, ColumnSize},
                                    1,
                                    "名称$$大小\r\n/data$$1000Byte\r\n$sub$750Byte\r\n$g$250Byte\r\n"},
                    TextColumnsCase{"DepthLimitZero", {ColumnName, ColumnSize}, 0, "名称$大小\r\n/data$1000Byte\r\n"}),
    [](const testing::TestParamInfo<TextColumnsCase>& info) { return info.param.what; });

TEST(ExportText, FollowsTheTreesCurrentSiblingOrder)
{
    EntryTree tree;
    const EntryId root = tree.addEntry(NoEntry, Folder, 6, "/r");
    const EntryId b = tree.addEntry(root, Folder, 3, "b");
    tree.addEntry(b, File, 3, "b1");
    tree.addEntry(root, File, 1, "c");
    tree.addEntry(root, File, 2, "A");
    const GridReport report = ReportWith({ColumnName});
    EXPECT_EQ(Text(report, tree, ","), "名称\r\n/r,,\r\n,b,\r\n,,b1\r\n,c,\r\n,A,\r\n");
    SortEntries(tree, SortKey::Name, SortDirection::Ascending);
    EXPECT_EQ(Text(report, tree, ","), "名称\r\n/r,,\r\n,A,\r\n,b,\r\n,,b1\r\n,c,\r\n");
}

TEST(ExportText, EmptyTreeGivesTheHeaderLineOnly)
{
    const EntryTree tree;
    EXPECT_EQ(Text(ReportWith({ColumnName, ColumnBytes}), tree, "\t"), "名称\t大小(字节)\r\n");
}

// ---------------------------------------------------------------------------------------------
// All formats

class LargestWrite final : public ReportSink {
public:
    void write(std::string_view bytes) override
    {
        largest = std::max(largest, bytes.size());
        total += bytes.size();
    }
    std::size_t largest = 0;
    std::size_t total = 0;
};

// A large report is handed on row by row, never gathered whole.
TEST(ReportRenderers, StreamRowByRow)
{
    EntryTree tree;
    const EntryId root = tree.addEntry(NoEntry, Folder, 5000, "/many");
    for (int i = 0; i < 5000; ++i)
        tree.addEntry(root, File, 1, "file" + std::to_string(i));
    const GridReport report = DefaultGridReport();
    LargestWrite html, rtf, text;
    ExportHtml(report, tree, Caption, html);
    ExportRtf(report, tree, rtf);
    ExportText(report, tree, ",", text);
    for (const LargestWrite* sink : {&html, &rtf, &text}) {
        EXPECT_GT(sink->total, 100'000u);
        EXPECT_LT(sink->largest, 2'000u);
    }
}

} // namespace
} // namespace tallyvane

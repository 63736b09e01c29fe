// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/RtfReport.h"

#include "analysis/PreOrderWalk.h"
#include "presentation/GridColumns.h"
#include "report/ReportWriting.h"

#include <QList>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallyvane {

using namespace reportwriting;
namespace {

// The font table names the fonts in the narrow code page of the program's users, GBK, although
// the head declares code page 1252. QtCore has no GBK codec without ICU, and font names need only
// a few characters: those of the usual Chinese font names are mapped, any other non-ASCII
// character becomes '?'.
std::string GbkFontName(const std::string& name)
{
    struct GbkChar {
        char32_t unicode;
        char bytes[2];
    };
    // The characters of 宋体, 新宋体, 黑体, 楷体, 仿宋 and 微软雅黑.
    static constexpr GbkChar Table[] = {
        {U'仿', {'\xB7', '\xC2'}}, {U'体', {'\xCC', '\xE5'}}, {U'宋', {'\xCB', '\xCE'}},
        {U'微', {'\xCE', '\xA2'}}, {U'新', {'\xD0', '\xC2'}}, {U'楷', {'\xBF', '\xAC'}},
        {U'软', {'\xC8', '\xED'}}, {U'雅', {'\xD1', '\xC5'}}, {U'黑', {'\xBA', '\xDA'}},
    };
    std::string out;
    for (const char32_t c : QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toUcs4()) {
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        const auto found =
            std::find_if(std::begin(Table), std::end(Table), [c](const GbkChar& entry) { return entry.unicode == c; });
        if (found != std::end(Table))
            out.append(found->bytes, 2);
        else
            out += '?';
    }
    return out;
}

// A column's right edge in twips, rounded to the nearest integer with halves to even.
std::int64_t Twips(std::int64_t pixels, int pixelsPerInch)
{
    const std::int64_t scaled = pixels * 1440;
    std::int64_t quotient = scaled / pixelsPerInch;
    const std::int64_t twiceRemainder = 2 * (scaled % pixelsPerInch);
    if (twiceRemainder > pixelsPerInch || (twiceRemainder == pixelsPerInch && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

// The fonts and colours of an RTF document, listed in the order of their first use, and the
// font, colour and size in effect while the body is written.
class RtfRuns {
public:
    // A font by the places of its name and colour in the lists, and its size.
    struct Style {
        std::size_t font;
        std::size_t color;
        int points;
    };

    // Lists the font's name and colour unless they are listed already.
    Style use(const ReportFont& font) { return {indexOf(font.name), indexOf(font.color), font.points}; }

    void appendHead(std::string& out) const
    {
        out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043{\\fonttbl";
        for (std::size_t i = 0; i < m_fonts.size(); ++i) {
            out += "{\\f";
            appendNumber(out, static_cast<std::int64_t>(i));
            out += ' ';
            out += GbkFontName(m_fonts[i]);
            out += ";}";
        }
        out += "}{\\colortbl;";
        for (const ReportColor& color : m_colors) {
            out += "\\red";
            appendNumber(out, color.rgb.red);
            out += "\\green";
            appendNumber(out, color.rgb.green);
            out += "\\blue";
            appendNumber(out, color.rgb.blue);
            out += ';';
        }
        out += '}';
    }

    void appendRun(std::string& out, QStringView text, const Style& style)
    {
        if (text.isEmpty())
            return;
        if (m_font != style.font) {
            out += "\\f";
            appendNumber(out, static_cast<std::int64_t>(style.font));
            m_font = style.font;
        }
        if (m_color != style.color) {
            out += "\\cf";
            appendNumber(out, static_cast<std::int64_t>(style.color) + 1);
            m_color = style.color;
        }
        if (m_points != style.points) {
            out += "\\fs";
            appendNumber(out, 2 * std::int64_t{style.points});
            m_points = style.points;
        }
        out += ' ';
        for (const QChar unit : text) {
            if (unit == u'\n') {
                out += "{\\par}";
            } else if (unit != u'\r') {
                out += "\\u";
                appendNumber(out, static_cast<std::int16_t>(unit.unicode()));
                out += "\\'3f";
            }
        }
    }

private:
    std::size_t indexOf(const std::string& name)
    {
        const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        for (std::size_t i = 0; i < m_fonts.size(); ++i) {
            const QString known = QString::fromUtf8(m_fonts[i].data(), static_cast<qsizetype>(m_fonts[i].size()));
            if (known.compare(wanted, Qt::CaseInsensitive) == 0)
                return i;
        }
        m_fonts.push_back(name);
        return m_fonts.size() - 1;
    }

    std::size_t indexOf(const ReportColor& color)
    {
        for (std::size_t i = 0; i < m_colors.size(); ++i) {
            if (m_colors[i] == color)
                return i;
        }
        m_colors.push_back(color);
        return m_colors.size() - 1;
    }

    std::vector<std::string> m_fonts;
    std::vector<ReportColor> m_colors;
    std::optional<std::size_t> m_font;
    std::optional<std::size_t> m_color;
    std::optional<int> m_points;
};

} // namespace

void ExportRtf(const GridReport& report, const EntryTree& tree, ReportSink& sink)
{
    // The head lists the fonts and colours in the order the body first uses them, so find out
    // before writing which runs the body will have: the header row comes first, and the grid
    // font's first use is the first data cell that is not empty.
    bool dataInGridFont = false;
    for (PreOrderWalk walk(tree, report.depthLimit); !walk.atEnd() && !dataInGridFont; walk.next()) {
        dataInGridFont = std::any_of(report.columns.begin(), report.columns.end(), [&](const ReportColumn& c) {
            return !CellText(tree, walk.entry(), c.index).isEmpty();
        });
    }
    const bool captionInHeaderFont = std::any_of(report.columns.begin(), report.columns.end(),
                                                 [](const ReportColumn& c) { return !c.caption.isEmpty(); });
    RtfRuns runs;
    // A font no run uses gets no place in the lists; its style is then never looked at.
    const RtfRuns::Style headerStyle = captionInHeaderFont ? runs.use(report.headerFont) : RtfRuns::Style{};
    const RtfRuns::Style gridStyle = dataInGridFont ? runs.use(report.gridFont) : RtfRuns::Style{};

    std::string out;
    runs.appendHead(out);
    out += "\\uc1\\trowd\\trgaph70";
    std::int64_t rightEdge = 0;
    for (const ReportColumn& column : report.columns) {
        rightEdge += column.width;
        out += "\\cellx";
        appendNumber(out, Twips(rightEdge, report.pixelsPerInch));
    }
    out += "\\pard\\intbl";
    for (const ReportColumn& column : report.columns) {
        if (column.alignment == Alignment::Right)
            out += "\\qr";
        runs.appendRun(out, column.caption, headerStyle);
        out += "\\cell";
    }
    out += "\\row";
    sink.write(out);

    for (PreOrderWalk walk(tree, report.depthLimit); !walk.atEnd(); walk.next()) {
        out.clear();
        for (const ReportColumn& column : report.columns) {
            out += "\\pard\\intbl";
            if (column.alignment == Alignment::Right)
                out += "\\qr";
            if (isMain(report, column) && walk.level() >= 1) {
                appendRepeated(out, "\\tab", walk.level());
                out += ' ';
            }
            runs.appendRun(out, CellText(tree, walk.entry(), column.index), gridStyle);
            out += "\\cell";
        }
        out += "\\row";
        sink.write(out);
    }
    sink.write("\\pard\\par}");
}

} // namespace tallyvane

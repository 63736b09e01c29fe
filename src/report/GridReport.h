// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "presentation/GridColumns.h"

#include <QString>

#include <string>
#include <vector>

namespace tallyvane {

// A colour as the grid stores it: either fixed, or one of the platform's colours (window text,
// button face) resolved to red, green and blue when the report is made. Two colours are the
// same only as stored: a platform colour never equals a fixed one, even when they look alike.
struct ReportColor {
    enum class Source { Fixed, WindowText, ButtonFace };
    Source source = Source::Fixed;
    Rgb rgb{0, 0, 0};
    bool operator==(const ReportColor&) const = default;
};

struct ReportFont {
    std::string name; // UTF-8
    int points;
    ReportColor color;
};

struct ReportColumn {
    int index; // 0..6, see GridColumn
    QString caption;
    int width; // pixels
    Alignment alignment;
};

// What the report renderers need to know of the grid: the columns exported (the visible ones,
// in display order, with their current widths), its fonts and colours, and its metrics.
struct GridReport {
    std::vector<ReportColumn> columns;
    int mainColumn = ColumnName;
    ReportFont gridFont{"Arial", 8, {ReportColor::Source::WindowText, {0, 0, 0}}};
    ReportFont headerFont{"宋体", 9, {ReportColor::Source::Fixed, {0, 0, 0}}};
    Rgb gridColor{255, 255, 255};
    Rgb buttonFace{0xF0, 0xF0, 0xF0};
    int pixelsPerInch = 96;
    int cellMargin = 4;
    int headerHeight = GridHeaderHeight;
    int rowHeight = GridRowHeight;
    // Entries deeper than this are left out (MaxLevel is then that of the entries exported);
    // negative: every entry.
    int depthLimit = -1;
};

// The description of a grid showing all seven columns in their default order and widths.
GridReport DefaultGridReport();

} // namespace tallyvane

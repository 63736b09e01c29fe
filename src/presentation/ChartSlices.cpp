// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/ChartSlices.h"

#include "analysis/SizeSum.h"
#include "presentation/GridColumns.h"
#include "presentation/SizeText.h"

#include <QRgb>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace tallyvane {
namespace {

// The colours the chart gives slices in the order they are added. A folder never has more
// slices than colours: at most 19 children can each hold more than 5 %, plus the gathering one.
constexpr std::array<QRgb, 20> AutomaticColours{
    qRgb(255, 0, 0),     qRgb(0, 128, 0),     qRgb(255, 255, 0),   qRgb(0, 0, 255),     qRgb(255, 255, 255),
    qRgb(128, 128, 128), qRgb(255, 0, 255),   qRgb(0, 128, 128),   qRgb(0, 0, 128),     qRgb(128, 0, 0),
    qRgb(0, 255, 0),     qRgb(128, 128, 0),   qRgb(128, 0, 128),   qRgb(192, 192, 192), qRgb(0, 255, 255),
    qRgb(0, 0, 0),       qRgb(192, 220, 192), qRgb(166, 202, 240), qRgb(255, 251, 240), qRgb(160, 160, 164),
};

QColor automaticColour(std::size_t k)
{
    return QColor::fromRgb(AutomaticColours[k % AutomaticColours.size()]);
}

// Two lines; the chart splits labels at carriage returns.
QString sliceLabel(const QString& name, const QString& sizeText)
{
    return name + QLatin1Char('\r') + sizeText;
}

} // namespace

std::vector<PieSlice> FolderSlices(const EntryTree& tree, EntryId folder)
{
    std::vector<PieSlice> slices;
    const std::int64_t total = tree.size(folder);
    if (total <= 0)
        return slices;

    std::int64_t included = 0;
    for (EntryId child = tree.FirstChildEntry(folder); child != NoEntry; child = tree.NextSiblingEntry(child)) {
        const std::int64_t size = tree.size(child);
        // The quotient in extended precision, as the chart has always decided: a child of
        // exactly 5 % is gathered, not shown.
        if (static_cast<long double>(size) / static_cast<long double>(total) <= 0.05L)
            continue;
        included = AddSizes(included, size);
        // Name and size read as in the grid.
        slices.push_back({static_cast<double>(size),
                          sliceLabel(CellText(tree, child, ColumnName), CellText(tree, child, ColumnSize)),
                          automaticColour(slices.size())});
    }
    if (included < total) {
        const std::int64_t rest = total - included;
        slices.push_back({static_cast<double>(rest),
                          sliceLabel(QString::fromUtf8(SmallSlicesText), QString::fromStdString(SizeToText(rest))),
                          automaticColour(slices.size())});
    }
    return slices;
}

QString PercentText(double part, double whole, int decimals)
{
    long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    // One division, so that percentages with an exact binary form (12.5, 3.125) round exactly.
    const long long units = whole == 0 ? 0 : std::llroundl(static_cast<long double>(part) * 100 * scale / whole);

    const long long magnitude = std::llabs(units);
    QString text = units < 0 ? QStringLiteral("-") : QString();
    text += QString::number(magnitude / scale);
    QString fraction = QString::number(magnitude % scale).rightJustified(decimals, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += QLatin1Char('.') + fraction;
    return text + QStringLiteral(" %");
}

QString MarkText(const QString& label, double part, double whole, int decimals)
{
    const QString percent = PercentText(part, whole, decimals);
    return label.isEmpty() ? percent : label + QLatin1Char(' ') + percent;
}

} // namespace tallyvane

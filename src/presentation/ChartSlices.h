// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/EntryTree.h"

#include <QColor>
#include <QString>

#include <vector>

namespace tallyvane {

// One slice of a pie chart. The label's lines are separated by carriage returns.
struct PieSlice {
    double value;
    QString label;
    QColor colour;
};

// The label text of the slice that gathers a folder's small parts.
inline constexpr char SmallSlicesText[] = "所有<5%合集";

// The slices of the folder composition chart of folder: one for each direct child holding
// more than 5 % of the folder's size, in the children's current order, then one gathering the
// rest when anything is left over. Labels are the name (or SmallSlicesText) and the size text
// on two lines; the k-th slice takes colour k of the chart's 20-colour sequence. No slices for
// a folder whose size is 0 or less.
std::vector<PieSlice> FolderSlices(const EntryTree& tree, EntryId folder);

// part as a percentage of whole, rounded half away from zero to at most `decimals` decimals
// with trailing zeros dropped, a blank and "%": "45.68 %", "12.5 %", "60 %". A whole of 0
// gives "0 %".
QString PercentText(double part, double whole, int decimals);

// What a pie chart writes on a slice: its label, a blank and its percentage of the pie; only
// the percentage when the label is empty.
QString MarkText(const QString& label, double part, double whole, int decimals);

} // namespace tallyvane

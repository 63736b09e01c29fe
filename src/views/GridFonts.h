// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

namespace tallyvane {

// The grid's cells, the chart marks and the window's controls at 11 pixels, in one face that
// draws Latin and Chinese alike where one is installed; else in Arial or its nearest stand-ins,
// a CJK face last so that Chinese never shows as boxes.
QFont GridFont();

// The grid's header in 宋体 at 12 pixels, or its nearest stand-ins.
QFont GridHeaderFont();

} // namespace tallyvane

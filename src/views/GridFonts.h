// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

namespace tallyvane {

// The grid's cells, and the window's controls, in Arial at 11 pixels. Where Arial is missing,
// fontconfig's nearest faces stand in, the CJK one last so that Chinese never shows as boxes.
QFont GridFont();

// The grid's header in 宋体 at 12 pixels, or its nearest stand-ins.
QFont GridHeaderFont();

} // namespace tallyvane

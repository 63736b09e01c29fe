// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tallyvane {

// Seconds as whole minutes and the seconds left, with no hours and no leading zeros:
// 3725 with "分钟" and "秒" reads 62分钟5秒.
QString ElapsedTimeText(int seconds, const QString& minutesUnit, const QString& secondsUnit);

} // namespace tallyvane

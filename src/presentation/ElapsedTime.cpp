// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/ElapsedTime.h"

namespace tallyvane {

QString ElapsedTimeText(int seconds, const QString& minutesUnit, const QString& secondsUnit)
{
    const int minutes = seconds / 60;
    return QString::number(minutes) + minutesUnit + QString::number(seconds - 60 * minutes) + secondsUnit;
}

} // namespace tallyvane

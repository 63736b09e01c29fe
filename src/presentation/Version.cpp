// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/Version.h"

namespace tallyvane {

QString ReplaceVersion(const QString& text, const QString& version)
{
    return QString(text).replace(QStringLiteral("$V$"), version, Qt::CaseInsensitive);
}

} // namespace tallyvane

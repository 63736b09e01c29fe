// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tallyvane {

inline constexpr char ProgramVersion[] = "3.0.5";

// text with every "$V$", in any letter case, replaced by version.
QString ReplaceVersion(const QString& text, const QString& version);

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tallyvane {

inline constexpr char ProgramVersion[] = "3.0.5";

} // namespace tallyvane

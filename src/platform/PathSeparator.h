// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tallyvane {

// The one place that knows how this platform separates the parts of a path.
inline constexpr char PathSeparator = '/';

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace tallyvane {

// The value of an environment variable, or null when it is not set (as getenv answers).
using EnvironmentLookup = std::function<const char*(const char*)>;

// Whether the window has somewhere to open, told before the graphical libraries are loaded:
// they abort the process when they find no display. A platform chosen in QT_QPA_PLATFORM that
// needs no display server (offscreen, minimal, vnc, ...) counts as one; xcb needs DISPLAY and
// wayland WAYLAND_DISPLAY, and without a choice either will do.
bool WindowPlatformAvailable(const EnvironmentLookup& environment);

} // namespace tallyvane

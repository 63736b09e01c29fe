// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace tallyvane {

// Text for a terminal, from bytes that may come from file names: control characters (C0, DEL
// and C1) and bytes that are not UTF-8 are written as \xNN, and a backslash as \\, so that no
// name can move the cursor, retitle the window or start an escape sequence.
std::string TerminalText(std::string_view bytes);

} // namespace tallyvane

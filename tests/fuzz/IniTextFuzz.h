// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace tallyvane::fuzz {

// Feeds bytes to the settings text as a file's content and checks what must hold for any
// content: each write sets what it writes, changes no other value, and reads back the same
// after the text is parsed anew. A broken promise aborts with a message on standard error.
// Always returns 0, as libFuzzer asks.
int IniTextOneInput(const std::uint8_t* data, std::size_t size);

} // namespace tallyvane::fuzz

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tallyvane::test {

// The file's bytes as they are on disk, with no line-end translation. A file that cannot be
// read gives "": the caller's comparison reports it, which keeps this free of test macros.
std::string ReadFileText(const std::string& path);

// Replaces the file's content with text, byte for byte.
void WriteFileText(const std::string& path, const std::string& text);

} // namespace tallyvane::test

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tallyvane {

// The largest exclude file read: far beyond any list written by hand, and small enough that a
// device or a runaway pipe named by mistake is refused at once rather than read for good.
inline constexpr std::size_t MaxExcludeFileBytes = 1024 * 1024;

// Appends the patterns of the file at path ("-": standard input), one a line: empty lines
// skipped, a CR before the line end dropped. Only a regular file or standard input of at most
// MaxExcludeFileBytes is read. Returns why it could not be read, or an empty string.
std::string ReadExcludeFile(const std::string& path, std::vector<std::string>& patterns);

} // namespace tallyvane

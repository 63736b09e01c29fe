// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tallyvane::test {

// What one exclude pattern leaves out, straight from fnmatch as the README describes it:
// against the name, or against the path below the scanned folder when the pattern holds a "/";
// a trailing "/" for folders only. The matcher's lookups must never give another answer.
bool ReferenceExcludes(std::string pattern, const std::string& path, bool folder);

} // namespace tallyvane::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ExcludeReference.h"

#include <fnmatch.h>

namespace tallyvane::test {

bool ReferenceExcludes(std::string pattern, const std::string& path, bool folder)
{
    const bool foldersOnly = pattern.size() > 1 && pattern.back() == '/';
    while (pattern.size() > 1 && pattern.back() == '/')
        pattern.pop_back();
    const bool byPath = pattern.find('/') != std::string::npos;
    while (byPath && !pattern.empty() && pattern.front() == '/')
        pattern.erase(0, 1);
    if (pattern.empty() || pattern == "/" || (foldersOnly && !folder))
        return false;
    const std::string subject = byPath ? path : path.substr(path.rfind('/') + 1);
    return ::fnmatch(pattern.c_str(), subject.c_str(), byPath ? FNM_PATHNAME : 0) == 0;
}

} // namespace tallyvane::test

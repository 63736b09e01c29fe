// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/ExcludePatterns.h"

#include <fnmatch.h>

namespace tallyvane {

ExcludePatterns::ExcludePatterns(const std::vector<std::string>& patterns)
{
    for (std::string text : patterns) {
        const bool foldersOnly = text.size() > 1 && text.back() == '/';
        while (text.size() > 1 && text.back() == '/')
            text.pop_back();
        const bool byPath = text.find('/') != std::string::npos;
        if (byPath) {
            while (!text.empty() && text.front() == '/')
                text.erase(0, 1);
        }
        if (text.empty() || text == "/")
            continue; // a pattern for nothing, or for the scanned folder itself
        m_needsPaths = m_needsPaths || byPath;
        m_patterns.push_back({std::move(text), byPath, foldersOnly});
    }
}

bool ExcludePatterns::excludes(std::string_view name, std::string_view relativePath, bool folder) const
{
    for (const Pattern& pattern : m_patterns) {
        if (pattern.foldersOnly && !folder)
            continue;
        m_subject.assign(pattern.byPath ? relativePath : name);
        if (::fnmatch(pattern.text.c_str(), m_subject.c_str(), pattern.byPath ? FNM_PATHNAME : 0) == 0)
            return true;
    }
    return false;
}

} // namespace tallyvane

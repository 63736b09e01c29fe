// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tallyvane {

// Shell wildcards naming the entries a scan leaves out. A pattern without "/" is matched
// against an entry's name ("*.o", ".cache"); one with "/" against the entry's path below the
// scanned folder ("build/tmp", "src/*/obj"), where "*" and "?" never match a "/". A leading
// "/" only says the path starts at the scanned folder, as it always does; a trailing "/"
// restricts the pattern to folders ("cache/"). Names and paths are compared as bytes.
class ExcludePatterns {
public:
    explicit ExcludePatterns(const std::vector<std::string>& patterns = {});

    bool empty() const { return m_patterns.empty(); }
    // True when some pattern needs the entry's path, not only its name.
    bool needsPaths() const { return m_needsPaths; }

    // relativePath: the entry's path below the scanned folder, its name last, no separator at
    // either end; read only when needsPaths().
    bool excludes(std::string_view name, std::string_view relativePath, bool folder) const;

private:
    struct Pattern {
        std::string text;
        bool byPath;
        bool foldersOnly;
    };
    std::vector<Pattern> m_patterns;
    bool m_needsPaths = false;
    mutable std::string m_subject; // the zero-terminated text fnmatch needs, kept to spare allocations
};

} // namespace tallyvane

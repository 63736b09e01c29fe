// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tallyvane {

// Shell wildcards naming the entries a scan leaves out. A pattern without "/" is matched
// against an entry's name ("*.o", ".cache"); one with "/" against the entry's path below the
// scanned folder ("build/tmp", "src/*/obj"), where "*" and "?" never match a "/". A leading
// "/" only says the path starts at the scanned folder, as it always does; a trailing "/"
// restricts the pattern to folders ("cache/"). Names and paths are compared as bytes.
//
// Every entry of a scan is asked about, so thousands of patterns must not cost a look at each:
// names without wildcards are looked up in a hash set, "*suffix", "prefix*" and "*infix*" by
// their fixed part, and only the other patterns that could match (by the entry's last or first byte, or
// for paths its first folder) are matched one by one.
class ExcludePatterns {
public:
    explicit ExcludePatterns(const std::vector<std::string>& patterns = {});

    bool empty() const { return m_empty; }
    // True when some pattern needs the entry's path, not only its name.
    bool needsPaths() const { return m_needsPaths; }

    // relativePath: the entry's path below the scanned folder, its name last, no separator at
    // either end; read only when needsPaths().
    bool excludes(std::string_view name, std::string_view relativePath, bool folder) const;

private:
    struct StringHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    using StringSet = std::unordered_set<std::string, StringHash, std::equal_to<>>;

    // The patterns matched against one kind of text (names or paths), for entries of any kind or
    // folders only.
    class Group {
    public:
        // byPath: matched against paths, where a wildcard never matches a "/".
        explicit Group(bool byPath) : m_byPath(byPath) {}
        void add(std::string pattern);
        bool matches(std::string_view text, std::string& subject) const;

    private:
        bool m_byPath;
        StringSet m_literals;
        std::map<std::size_t, StringSet> m_suffixes; // "*.o" as ".o", by length
        std::map<std::size_t, StringSet> m_prefixes; // "core*" as "core", by length
        std::map<std::size_t, StringSet> m_infixes;  // "*cache*" as "cache", by length
        // Paths: the patterns whose first folder is fixed, by that folder's name.
        std::unordered_map<std::string, std::vector<std::string>, StringHash, std::equal_to<>> m_byFirstFolder;
        std::array<std::vector<std::string>, 256> m_byLastByte;  // patterns that end in that byte
        std::array<std::vector<std::string>, 256> m_byFirstByte; // or else start with it
        std::vector<std::string> m_others;
    };

    std::array<Group, 2> m_names{Group(false), Group(false)}; // any entry, folders only
    std::array<Group, 2> m_paths{Group(true), Group(true)};
    bool m_empty = true;
    bool m_needsPaths = false;
    mutable std::string m_subject; // the zero-terminated text fnmatch needs, kept to spare allocations
};

} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
// The exclude-pattern matcher under a fuzzer. The input is a NUL-separated list: patterns up to
// the first empty item, then paths below a scanned folder. For every path, as a file and as a
// folder, the patterns together exclude it exactly when one of them does by fnmatch's word.
#include "analysis/ExcludePatterns.h"
#include "support/ExcludeReference.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tallyvane;
    std::vector<std::string> patterns;
    std::vector<std::string> paths;
    bool inPaths = false;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\0');
        const std::string_view item = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        // Patterns are lines of a file or arguments; paths are names joined by "/".
        if (item.find('\n') != std::string_view::npos)
            continue;
        if (item.empty() && !inPaths)
            inPaths = true;
        else if (inPaths && !item.empty() && !item.starts_with('/') && !item.ends_with('/')
                 && item.find("//") == std::string_view::npos)
            paths.emplace_back(item);
        else if (!inPaths)
            patterns.emplace_back(item);
    }
    const ExcludePatterns together(patterns);
    for (const std::string& path : paths) {
        const std::string name = path.substr(path.rfind('/') + 1);
        for (const bool folder : {false, true}) {
            bool expected = false;
            for (const std::string& pattern : patterns)
                expected = expected || test::ReferenceExcludes(pattern, path, folder);
            if (together.excludes(name, path, folder) != expected) {
                std::fprintf(stderr, "%s %s: %d patterns disagree with fnmatch\n", path.c_str(),
                             folder ? "(folder)" : "(file)", static_cast<int>(patterns.size()));
                std::abort();
            }
        }
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line parser under a fuzzer. The input is the arguments as a NUL-separated list.
// Whatever they are, the parser either refuses them with a reason or hands on options a run can
// take: a report of one folder or one import, a window, help or the version.
#include "cli/ExportCommand.h"
#include "platform/PosixFileSystem.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void broken(const char* promise)
{
    std::fprintf(stderr, "broken: %s\n", promise);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tallyvane;
    std::vector<std::string> arguments;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\0');
        const std::string_view argument = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        // An exclude file is read where it is named: the fuzzer names none but its own, and
        // standard input stays the fuzzer's.
        if (argument.starts_with("--exclude-from"))
            continue;
        arguments.emplace_back(argument);
    }
    const CommandLine line = ParseCommandLine(arguments);
    if (!line.error.empty())
        return 0;
    const ExportOptions& options = line.options;
    if (options.threads > MaxReadThreads)
        broken("a thread count out of range");
    // Help and the version end the reading: what came before them is not used.
    if (line.action == CommandLine::Action::Help || line.action == CommandLine::Action::Version)
        return 0;
    if ((options.scan.oneFileSystem || options.scan.countLinksOnce || !options.scan.exclude.empty())
        && !options.importFile.empty())
        broken("scan options given to an import");
    if (line.action == CommandLine::Action::Export) {
        if (options.folder.empty() == options.importFile.empty())
            broken("a report of neither or both a folder and an import");
        if (options.separator.empty())
            broken("an empty separator");
        if (options.maxDepth < -1 || (options.format == ReportFormat::Ncdu && options.maxDepth != -1))
            broken("a depth the report cannot take");
    } else {
        if (!options.folder.empty() && !options.importFile.empty())
            broken("a window given both a folder and an import");
        if (options.maxDepth != -1 || !options.output.empty() || options.separator != DefaultSeparator)
            broken("a window given a report's option");
    }
    return 0;
}

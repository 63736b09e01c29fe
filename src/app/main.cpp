// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ExportCommand.h"
#include "app/TerminalProgress.h"
#include "app/Version.h"
#include "platform/PosixFileSystem.h"

#include <unistd.h>

#include <cstdio>

using namespace tallyvane;

int main(int argc, char* argv[])
{
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        std::fprintf(stderr, "tallyvane: %s\n\n%s", line.error.c_str(), UsageText().c_str());
        return 2;
    }
    switch (line.action) {
    case CommandLine::Action::Help:
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::printf("tallyvane %s\n", ProgramVersion);
        return 0;
    case CommandLine::Action::Export: {
        PosixFileSystem fileSystem;
        TerminalProgress progress(stderr, ::isatty(STDERR_FILENO) == 1);
        ExportEnvironment environment{fileSystem, stdout, stderr, &progress};
        return RunExport(line.options, environment);
    }
    case CommandLine::Action::Window:
        break;
    }
    std::fprintf(stderr, "tallyvane: this build has no window yet; use --export.\n\n%s",
                 UsageText().c_str());
    return 2;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ExportCommand.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalText.h"
#include "cli/WindowPlatform.h"
#include "platform/PosixFileSystem.h"
#include "platform/ProgramFiles.h"
#include "presentation/Version.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

using namespace tallyvane;

namespace {

// The window lives in a module of its own (see WindowProgram.cpp), loaded only here.
int runWindow(char* argv[], const ExportOptions& commandLine)
{
    using WindowMain = int (*)(int, char*[], const ExportOptions*);
    std::string error;
    const auto windowMain = reinterpret_cast<WindowMain>(
        LoadModuleFunction(ModuleCandidates(ExecutableFolder(), "tallyvane-window.so"), "tallyvaneWindowMain", error));
    if (!windowMain) {
        std::fprintf(stderr, "tallyvane: cannot start the window: %s\n", TerminalText(error).c_str());
        return 1;
    }
    // Only the program's name reaches the toolkit: the arguments are read, once, here.
    int windowArgc = 1;
    return windowMain(windowArgc, argv, &commandLine);
}

} // namespace

// Whatever the run allocates, from the arguments on, running out of memory is told, not a crash.
int main(int argc, char* argv[])
try {
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!line.error.empty()) {
        std::fprintf(stderr, "tallyvane: %s\n", TerminalText(line.error).c_str());
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
        PosixFileSystem fileSystem({.threads = line.options.threads});
        TerminalProgress progress(stderr, ::isatty(STDERR_FILENO) == 1);
        ExportEnvironment environment{fileSystem,
                                      stdout,
                                      stderr,
                                      &progress,
                                      [&progress] { return progress.interrupted(); },
                                      [&progress](bool hold) { progress.holdInterrupts(hold); }};
        return RunExport(line.options, environment);
    }
    case CommandLine::Action::Window:
        if (!WindowPlatformAvailable(::getenv)) {
            std::fputs("tallyvane: no display to open the window on; use --export to write a report without one\n",
                       stderr);
            return 1;
        }
        break;
    }
    return runWindow(argv, line.options);
} catch (const std::bad_alloc&) {
    std::fputs("tallyvane: out of memory\n", stderr);
    return 1;
}

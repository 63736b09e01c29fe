// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "analysis/AnalysisRun.h"
#include "analysis/ScanOptions.h"
#include "platform/FileSystem.h"
#include "report/RenderReport.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tallyvane {

class TerminalProgress;

// tallyvane --export html|rtf|text|ncdu [--separator S] [--max-depth N] [--threads N]
//           [-x] [--count-links once|each] [--exclude PATTERN]... [--exclude-from FILE]...
//           [--output FILE] FOLDER|--import FILE
struct ExportOptions {
    ReportFormat format = ReportFormat::Text;
    std::string separator{DefaultSeparator}; // bytes
    int maxDepth = -1;
    unsigned threads = 0; // threads that read the file system; 0: automatic
    ScanOptions scan;     // patterns of --exclude and --exclude-from files in the order given
    std::string output;   // empty: standard output
    std::string folder;
    std::string importFile; // an ncdu export read in place of scanning a folder; "-": standard input
};

struct CommandLine {
    enum class Action { Export, Help, Version, Window };
    Action action = Action::Window;
    ExportOptions options;
    std::string error; // set when the arguments are not understood
};

// Reads the arguments after the program name. Without --export, --help or --version they are
// the window's: the folder to show (the first operand), --import, --threads and the scan
// options; an option only a report uses is refused there. --exclude-from reads its file here:
// one pattern per line, empty lines skipped, a CR before the line end dropped.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText();

// Everything the export command touches outside itself.
struct ExportEnvironment {
    FileSystem& fileSystem;
    std::FILE* output;          // standard output
    std::FILE* messages;        // standard error
    TerminalProgress* progress; // shows how the scan goes; none: nothing is shown
    // Asked while the scan runs and between the pieces of the report: true once the user
    // interrupted the program, which then stops, leaves an output file as it was and exits with
    // 130. None: never.
    std::function<bool()> interrupted = {};
    // Called with true while a file is being replaced, which an interrupt must not leave half
    // done, and with false after: an interrupt meanwhile only sets interrupted() and makes a
    // blocking call return. None: nothing to tell.
    std::function<void(bool)> holdInterrupts = {};
};

// Scans options.folder (or imports options.importFile), sorts every folder by size (largest first) and writes the
// report with CR LF line ends, to options.output (replaced atomically) or to the output stream. Returns the process
// exit code: 0 on success, 1 on failure (the reason written to messages), 130 when the progress host asked to stop.
int RunExport(const ExportOptions& options, ExportEnvironment& environment);

} // namespace tallyvane

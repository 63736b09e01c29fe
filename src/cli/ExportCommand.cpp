// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ExportCommand.h"

#include "cli/ExcludeFile.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalText.h"

#include "analysis/AnalysisThread.h"

#include "platform/AtomicFile.h"
#include "platform/PosixFileSystem.h"
#include "report/GridReport.h"

#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>

namespace tallyvane {
namespace {

// The value of an option given as "--name value" or "--name=value".
bool takeOption(const std::vector<std::string>& arguments, std::size_t& i, std::string_view name, std::string& value,
                std::string& error)
{
    const std::string& argument = arguments[i];
    if (argument == name) {
        if (i + 1 >= arguments.size()) {
            error = "option " + std::string(name) + " needs a value";
            return true;
        }
        value = arguments[++i];
        return true;
    }
    if (argument.starts_with(name) && argument.size() > name.size() && argument[name.size()] == '=') {
        value = argument.substr(name.size() + 1);
        return true;
    }
    return false;
}

// Keeps signals from the calling thread for its life; they go to the process's other threads.
class SignalsBlocked {
public:
    explicit SignalsBlocked(std::initializer_list<int> numbers)
    {
        sigset_t blocked;
        sigemptyset(&blocked);
        for (const int number : numbers)
            sigaddset(&blocked, number);
        pthread_sigmask(SIG_BLOCK, &blocked, &m_before);
    }
    ~SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &m_before, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

private:
    sigset_t m_before;
};

// Runs request on a thread of its own while this one draws the progress every tenth of a second
// and stops the run as soon as the user interrupts the program.
RunResult runWatched(FileSystem& fileSystem, const RunRequest& request, ExportEnvironment& environment)
{
    using Clock = std::chrono::steady_clock;
    static constexpr auto Poll = std::chrono::milliseconds(20);
    static constexpr int PollsPerDraw = 5;

    std::mutex lock;
    std::condition_variable finishedSignal;
    std::optional<RunResult> finished;
    AnalysisThread thread(fileSystem);
    try {
        thread.start(request, [&](RunResult result) {
            const std::lock_guard guard(lock);
            finished = std::move(result);
            finishedSignal.notify_one();
        });
    } catch (const std::system_error&) {
        // No thread to be had, in practice for want of memory: the scan runs here, unwatched.
        return AnalysisRun(fileSystem).run(request);
    }
    // An interrupt goes to the analysis thread, made before this, so that whatever it waits for
    // (a silent pipe to import) returns; this thread only watches.
    const SignalsBlocked interruptsElsewhere({SIGINT, SIGTERM});
    const Clock::time_point start = Clock::now();
    std::unique_lock guard(lock);
    for (int polls = 1; !finishedSignal.wait_for(guard, Poll, [&] { return finished.has_value(); }); ++polls) {
        if (environment.interrupted && environment.interrupted())
            thread.stop();
        if (environment.progress && polls % PollsPerDraw == 0)
            environment.progress->draw(thread.progress(), std::chrono::duration<double>(Clock::now() - start).count());
    }
    guard.unlock();
    thread.reap();
    if (environment.progress)
        environment.progress->clear();
    return std::move(*finished);
}

class StreamSink final : public ReportSink {
public:
    explicit StreamSink(std::FILE* stream) : m_stream(stream) {}
    void write(std::string_view bytes) override
    {
        if (std::fwrite(bytes.data(), 1, bytes.size(), m_stream) != bytes.size())
            throw FileError("Stream write error");
    }

private:
    std::FILE* m_stream;
};

struct InterruptedByUser {};

// Holds interrupts from begin() until it goes.
class InterruptHold {
public:
    explicit InterruptHold(const std::function<void(bool)>& hold) : m_hold(hold) {}
    ~InterruptHold() { end(); }
    InterruptHold(const InterruptHold&) = delete;
    InterruptHold& operator=(const InterruptHold&) = delete;

    void begin()
    {
        if (m_hold && !m_held)
            m_hold(true);
        m_held = true;
    }
    void end()
    {
        if (m_hold && m_held)
            m_hold(false);
        m_held = false;
    }

private:
    const std::function<void(bool)>& m_hold;
    bool m_held = false;
};

// Passes the report on until the user interrupts the program.
class InterruptibleSink final : public ReportSink {
public:
    InterruptibleSink(ReportSink& next, const std::function<bool()>& interrupted)
        : m_next(next), m_interrupted(interrupted)
    {
    }
    void write(std::string_view bytes) override
    {
        check();
        m_next.write(bytes);
    }
    void check() const
    {
        if (m_interrupted && m_interrupted())
            throw InterruptedByUser();
    }

private:
    ReportSink& m_next;
    const std::function<bool()>& m_interrupted;
};

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine line;
    bool exporting = false;
    bool scanOptionGiven = false;
    // The first option given that only a report has a use for.
    std::string reportOnlyOption;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < arguments.size() && line.error.empty(); ++i) {
        const std::string& argument = arguments[i];
        std::string value;
        if (argument == "--help" || argument == "-h") {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (argument == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        }
        if (argument == "--") {
            positional.insert(positional.end(), arguments.begin() + static_cast<long>(i) + 1, arguments.end());
            break;
        }
        const auto reportOnly = [&](std::string_view name) {
            if (reportOnlyOption.empty())
                reportOnlyOption = name;
        };
        if (takeOption(arguments, i, "--export", value, line.error)) {
            exporting = true;
            if (value == "html")
                line.options.format = ReportFormat::Html;
            else if (value == "rtf")
                line.options.format = ReportFormat::Rtf;
            else if (value == "text")
                line.options.format = ReportFormat::Text;
            else if (value == "ncdu")
                line.options.format = ReportFormat::Ncdu;
            else if (line.error.empty())
                line.error = "unknown export format '" + value + "' (html, rtf, text or ncdu)";
        } else if (takeOption(arguments, i, "--import", value, line.error)) {
            if (value.empty() && line.error.empty())
                line.error = "--import needs a file name";
            line.options.importFile = value;
        } else if (takeOption(arguments, i, "--separator", value, line.error)) {
            if (value.empty() && line.error.empty())
                line.error = "the separator must not be empty";
            line.options.separator = value;
            reportOnly("--separator");
        } else if (takeOption(arguments, i, "--max-depth", value, line.error)) {
            int depth = -1;
            const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), depth);
            if ((status != std::errc{} || end != value.data() + value.size() || depth < 0) && line.error.empty())
                line.error = "--max-depth needs a whole number of 0 or more";
            line.options.maxDepth = depth;
            reportOnly("--max-depth");
        } else if (takeOption(arguments, i, "--threads", value, line.error)) {
            unsigned threads = 0;
            const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), threads);
            if ((status != std::errc{} || end != value.data() + value.size() || threads < 1 || threads > MaxReadThreads)
                && line.error.empty())
                line.error = "--threads needs a whole number from 1 to " + std::to_string(MaxReadThreads);
            line.options.threads = threads;
        } else if (argument == "-x" || argument == "--one-file-system") {
            line.options.scan.oneFileSystem = true;
            scanOptionGiven = true;
        } else if (takeOption(arguments, i, "--count-links", value, line.error)) {
            if ((value != "once" && value != "each") && line.error.empty())
                line.error = "--count-links needs once or each";
            line.options.scan.countLinksOnce = value == "once";
            scanOptionGiven = true;
        } else if (takeOption(arguments, i, "--exclude-from", value, line.error)) {
            if (line.error.empty())
                line.error = ReadExcludeFile(value, line.options.scan.exclude);
            scanOptionGiven = true;
        } else if (takeOption(arguments, i, "--exclude", value, line.error)) {
            if (value.empty() && line.error.empty())
                line.error = "--exclude needs a pattern";
            line.options.scan.exclude.push_back(value);
            scanOptionGiven = true;
        } else if (takeOption(arguments, i, "--output", value, line.error)) {
            if (value.empty() && line.error.empty())
                line.error = "--output needs a file name";
            line.options.output = value;
            reportOnly("--output");
        } else if (argument.size() > 1 && argument.starts_with('-') && line.error.empty()) {
            line.error = "unknown option '" + argument + "'";
        } else {
            positional.push_back(argument);
        }
    }
    if (!line.error.empty())
        return line;
    const bool importing = !line.options.importFile.empty();
    if (!exporting && !reportOnlyOption.empty())
        line.error = reportOnlyOption + " needs --export";
    else if (scanOptionGiven && importing)
        line.error = "-x, --count-links and --exclude apply to a scan, not to --import";
    else if (exporting && line.options.format == ReportFormat::Ncdu && line.options.maxDepth >= 0)
        line.error = "--max-depth does not apply to --export ncdu, which holds the whole tree";
    else if (importing && !positional.empty())
        line.error = "give either a folder or --import FILE, not both";
    else if (exporting && positional.size() > 1)
        line.error = "only one folder can be exported";
    else if (exporting && !importing && positional.empty())
        line.error = "no folder given";
    else if (exporting && !importing && positional.front().empty())
        line.error = "the folder name is empty";
    if (!line.error.empty())
        return line;
    line.action = exporting ? CommandLine::Action::Export : CommandLine::Action::Window;
    // The window shows the first folder, as a file manager may pass it several.
    if (!positional.empty())
        line.options.folder = positional.front();
    return line;
}

std::string UsageText()
{
    return "Usage: tallyvane [--threads N] [-x] [--count-links once|each] [--exclude PATTERN]...\n"
           "                 [--exclude-from FILE]... [FOLDER | FILE.json | --import FILE]\n"
           "       tallyvane --export html|rtf|text|ncdu [--separator S] [--max-depth N] [--threads N]\n"
           "                 [-x] [--count-links once|each] [--exclude PATTERN]... [--exclude-from FILE]...\n"
           "                 [--output FILE] FOLDER | --import FILE\n"
           "\n"
           "Shows where the space in FOLDER goes, in a window that scans with the options given. With\n"
           "--export, scans FOLDER without a window and writes the result grid as a report, largest\n"
           "entries first in every folder.\n"
           "\n"
           "  --export FORMAT   html (a table), rtf (a table), text (delimited text) or ncdu (the\n"
           "                    whole tree in the ncdu JSON export format, which ncdu -f reads)\n"
           "  --import FILE     read a scan exported in the ncdu JSON format (by ncdu -o, gdu -o\n"
           "                    or --export ncdu) instead of scanning a folder; - reads standard\n"
           "                    input. Without --export the window shows the imported scan\n"
           "  --separator S     the text report's field separator (default: a tab)\n"
           "  --max-depth N     report only the entries N or fewer levels below FOLDER;\n"
           "                    every size still counts everything below it\n"
           "  --threads N       read the file system with N threads (1: the scan's own thread\n"
           "                    alone; default: enough to keep a cold disk busy)\n"
           "  -x, --one-file-system\n"
           "                    do not enter folders on another file system than FOLDER; they\n"
           "                    are listed empty (ncdu: \"excluded\":\"otherfs\")\n"
           "  --count-links once|each\n"
           "                    once: a file with several hard links counts its size at the first\n"
           "                    link met only, as du does; each (default): at every link\n"
           "  --exclude PATTERN leave out entries whose name matches the shell wildcard PATTERN,\n"
           "                    or whose path below FOLDER matches when PATTERN holds a /; a\n"
           "                    trailing / matches folders only. They are listed empty\n"
           "                    (ncdu: \"excluded\":\"pattern\"). May be given more than once\n"
           "  --exclude-from FILE\n"
           "                    read more patterns from FILE (- standard input), one a line; a\n"
           "                    regular file of at most 1 MiB\n"
           "  --output FILE     write to FILE, replacing it only once the report is complete\n"
           "                    (default: standard output)\n"
           "  --help            show this text\n"
           "  --version         show the version\n";
}

namespace {

// Written after the report, which holds the folders marked: one line, not one per folder.
std::string unreadableMessage(const UnreadableFolders& unreadable)
{
    return std::to_string(unreadable.count) + (unreadable.count == 1 ? " folder" : " folders")
        + " could not be read and count as empty, the first '" + unreadable.firstPath
        + "': " + std::strerror(unreadable.firstError);
}

} // namespace

int RunExport(const ExportOptions& options, ExportEnvironment& environment)
{
    const auto fail = [&](const std::string& message) {
        std::fprintf(environment.messages, "tallyvane: %s\n", TerminalText(message).c_str());
        return 1;
    };
    FileSystem& fileSystem = environment.fileSystem;
    const bool importing = !options.importFile.empty();
    std::shared_ptr<ImportInput> input;
    if (importing) {
        try {
            input = std::make_shared<FileImportInput>(options.importFile);
        } catch (const ImportError& error) {
            return fail("cannot import '" + options.importFile + "': " + error.reason());
        }
    } else if (options.folder.empty() || !fileSystem.exists(options.folder)) {
        return fail("cannot analyse '" + options.folder + "': no such folder");
    } else if (!fileSystem.isFolder(options.folder)) {
        return fail("cannot analyse '" + options.folder + "': not a folder");
    }

    const auto interrupted = [&environment] { return environment.interrupted && environment.interrupted(); };
    // Open the output first, so that an unwritable destination is reported before a long scan.
    // A file replaced whole holds interrupts until it is replaced or gone (the hold goes after
    // it), and so does the opening, which may wait for good on a FIFO.
    InterruptHold hold(environment.holdInterrupts);
    std::unique_ptr<AtomicFile> file;
    try {
        if (!options.output.empty()) {
            hold.begin();
            file = std::make_unique<AtomicFile>(options.output);
            if (file->writesInPlace())
                hold.end();
        }
    } catch (const FileError& error) {
        return interrupted() ? 130 : fail(error.what());
    }

    RunRequest request;
    request.source = importing ? RunRequest::Source::Import : RunRequest::Source::Folder;
    request.path = importing ? options.importFile : options.folder;
    request.input = std::move(input);
    request.options = options.scan;
    // The report shows no folder below the depth limit: their children need no order.
    request.sortDepthLimit = options.maxDepth;
    const RunResult result = runWatched(fileSystem, request, environment);
    const EntryTree& tree = *result.tree;
    switch (result.outcome) {
    case ScanOutcome::Complete:
        break;
    case ScanOutcome::Cancelled:
        return 130;
    case ScanOutcome::Failed:
        if (interrupted())
            return 130;
        if (importing)
            return fail("cannot import '" + options.importFile + "': " + result.error);
        return fail("cannot analyse '" + options.folder + "': " + result.error);
    case ScanOutcome::NotAFolder:
        return fail("cannot analyse '" + options.folder + "': not a folder");
    }

    GridReport report = DefaultGridReport();
    report.depthLimit = options.maxDepth;
    try {
        if (file) {
            FileReportSink fileSink(*file);
            InterruptibleSink sink(fileSink, environment.interrupted);
            RenderReport(options.format, report, tree, options.separator, sink);
            sink.check();
            file->commit();
        } else {
            StreamSink streamSink(environment.output);
            InterruptibleSink sink(streamSink, environment.interrupted);
            RenderReport(options.format, report, tree, options.separator, sink);
            if (std::fflush(environment.output) != 0)
                throw FileError("Stream write error");
        }
    } catch (const FileError& error) {
        return interrupted() ? 130 : fail(error.what());
    } catch (const InterruptedByUser&) {
        // The output file goes unreplaced: its temporary vanishes with it.
        return 130;
    } catch (const std::bad_alloc&) {
        return fail("cannot write the report: out of memory");
    }
    if (result.unreadable.count > 0)
        return fail(unreadableMessage(result.unreadable));
    return 0;
}

} // namespace tallyvane

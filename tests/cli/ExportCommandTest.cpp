// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ExportCommand.h"
#include "cli/ExcludeFile.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalText.h"
#include "platform/PosixFileSystem.h"
#include "support/FakeFileSystem.h"
#include "support/FileText.h"
#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <semaphore>
#include <vector>

namespace tallyvane {
namespace {

using test::FakeFileSystem;
using test::FixtureTree;
using test::ReadFileText;
using test::WriteFileText;

std::string readStream(std::FILE* stream)
{
    std::fflush(stream);
    std::rewind(stream);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        text.append(buffer, n);
    return text;
}

CommandLine parse(const std::vector<std::string>& arguments)
{
    return ParseCommandLine(arguments);
}

TEST(CommandLine, ReadsTheExportOptionsInEitherForm)
{
    const CommandLine line =
        parse({"--export", "rtf", "--separator=;", "--max-depth", "2", "--threads=3", "--output=out.rtf", "/data"});
    ASSERT_EQ(line.error, "");
    EXPECT_EQ(line.action, CommandLine::Action::Export);
    EXPECT_EQ(line.options.format, ReportFormat::Rtf);
    EXPECT_EQ(line.options.separator, ";");
    EXPECT_EQ(line.options.maxDepth, 2);
    EXPECT_EQ(line.options.threads, 3u);
    EXPECT_EQ(line.options.output, "out.rtf");
    EXPECT_EQ(line.options.folder, "/data");

    const CommandLine defaults = parse({"--export=html", "--", "--odd-folder-name"});
    ASSERT_EQ(defaults.error, "");
    EXPECT_EQ(defaults.options.format, ReportFormat::Html);
    EXPECT_EQ(defaults.options.separator, "\t");
    EXPECT_EQ(defaults.options.maxDepth, -1);
    EXPECT_EQ(defaults.options.threads, 0u) << "automatic";
    EXPECT_EQ(defaults.options.output, "");
    EXPECT_EQ(defaults.options.folder, "--odd-folder-name");
}

TEST(CommandLine, TellsWhatIsWrongWithTheArguments)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--export", "pdf", "/data"}, "unknown export format 'pdf' (html, rtf, text or ncdu)"},
        {{"--export", "ncdu", "--max-depth", "1", "/a"},
         "--max-depth does not apply to --export ncdu, which holds the whole tree"},
        {{"--export", "text", "--import", "scan.json", "/a"}, "give either a folder or --import FILE, not both"},
        {{"--export", "text", "--import="}, "--import needs a file name"},
        {{"--export", "text"}, "no folder given"},
        {{"--export", "text", ""}, "the folder name is empty"},
        {{"--export", "text", "/a", "/b"}, "only one folder can be exported"},
        {{"--export", "text", "--max-depth", "-1", "/a"}, "--max-depth needs a whole number of 0 or more"},
        {{"--export", "text", "--max-depth", "2x", "/a"}, "--max-depth needs a whole number of 0 or more"},
        {{"--export", "text", "--separator=", "/a"}, "the separator must not be empty"},
        {{"--export", "text", "--threads", "0", "/a"}, "--threads needs a whole number from 1 to 256"},
        {{"--export", "text", "--threads", "many", "/a"}, "--threads needs a whole number from 1 to 256"},
        {{"--export", "text", "/a", "--output"}, "option --output needs a value"},
        {{"--export", "text", "--colour", "/a"}, "unknown option '--colour'"},
    };
    for (const auto& [arguments, error] : cases)
        EXPECT_EQ(parse(arguments).error, error);
}

TEST(CommandLine, ReadsTheScanOptions)
{
    QTemporaryDir scratch;
    const std::string patterns = scratch.path().toStdString() + "/patterns";
    WriteFileText(patterns, "*.o\r\n\nbuild/\nsrc/tmp");

    const CommandLine line = parse({"--export", "ncdu", "-x", "--count-links=once", "--exclude", ".cache",
                                    "--exclude-from", patterns, "--exclude=*~", "/data"});
    ASSERT_EQ(line.error, "");
    EXPECT_TRUE(line.options.scan.oneFileSystem);
    EXPECT_TRUE(line.options.scan.countLinksOnce);
    EXPECT_EQ(line.options.scan.exclude, (std::vector<std::string>{".cache", "*.o", "build/", "src/tmp", "*~"}));
    EXPECT_TRUE(parse({"--export", "text", "--one-file-system", "/a"}).options.scan.oneFileSystem);
    EXPECT_FALSE(parse({"--export", "text", "--count-links", "each", "/a"}).options.scan.countLinksOnce);

    const ScanOptions defaults = parse({"--export", "text", "/a"}).options.scan;
    EXPECT_FALSE(defaults.oneFileSystem);
    EXPECT_FALSE(defaults.countLinksOnce);
    EXPECT_TRUE(defaults.exclude.empty());

    const std::pair<std::vector<std::string>, std::string> errors[] = {
        {{"--export", "text", "--count-links", "twice", "/a"}, "--count-links needs once or each"},
        {{"--export", "text", "--exclude=", "/a"}, "--exclude needs a pattern"},
        {{"--export", "ncdu", "--exclude", "a", "--import", "scan.json"},
         "-x, --count-links and --exclude apply to a scan, not to --import"},
    };
    for (const auto& [arguments, error] : errors)
        EXPECT_EQ(parse(arguments).error, error);
}

// Only a regular file of a sane size is read: a device or a FIFO named by mistake would be read
// for good (or wait for a writer), so it is refused at once with the reason.
TEST(CommandLine, ReadsOnlyASaneExcludeFile)
{
    FixtureTree fixture;
    const std::string largest = fixture.pathOf("largest");
    WriteFileText(largest, std::string(MaxExcludeFileBytes - 2, 'a') + "\r\n");
    const std::string tooLarge = fixture.pathOf("too-large");
    WriteFileText(tooLarge, std::string(MaxExcludeFileBytes + 1, '\n'));
    const std::string fifo = fixture.pathOf("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    const CommandLine read = parse({"--export", "text", "--exclude-from", largest, "/a"});
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.options.scan.exclude, std::vector<std::string>{std::string(MaxExcludeFileBytes - 2, 'a')});

    const std::pair<std::string, std::string> refused[] = {
        {fixture.pathOf("missing"), "No such file or directory"},
        {"/dev/zero", "not a regular file"},
        {fixture.path(), "not a regular file"},
        {fifo, "not a regular file"},
        {tooLarge, "larger than 1 MiB"},
    };
    for (const auto& [file, reason] : refused)
        EXPECT_EQ(parse({"--exclude-from", file, "/a"}).error,
                  "cannot read the exclude file '" + file + "': " + reason);
}

TEST(CommandLine, HelpAndVersion)
{
    EXPECT_EQ(parse({"--export", "text", "--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({"--max-depth", "1", "-h"}).action, CommandLine::Action::Help);
    EXPECT_EQ(parse({"--version"}).action, CommandLine::Action::Version);

    const CommandLine imported = parse({"--import", "-", "--export", "ncdu"});
    ASSERT_EQ(imported.error, "");
    EXPECT_EQ(imported.action, CommandLine::Action::Export);
    EXPECT_EQ(imported.options.format, ReportFormat::Ncdu);
    EXPECT_EQ(imported.options.importFile, "-");
}

// What the window is given when there is no --export: everything it acts on, parsed here once.
struct WindowCase {
    std::vector<std::string> arguments;
    std::string folder;
    std::string importFile = {};
    unsigned threads = 0;
    ScanOptions scan = {};
};

TEST(CommandLine, WithoutExportTheArgumentsAreTheWindows)
{
    const WindowCase cases[] = {
        {{}, ""},
        {{"/home/ann"}, "/home/ann"},
        {{"--", "/home/ann"}, "/home/ann"},
        {{"--threads", "2", "/home/ann"}, "/home/ann", "", 2},
        {{"/home/ann", "--threads=3"}, "/home/ann", "", 3},
        {{"--", "--threads", "2"}, "--threads"},
        {{"--threads=4", "--", "-x"}, "-x", "", 4},
        {{"/first", "/second"}, "/first"},
        {{"--import=scan.json"}, "", "scan.json"},
        {{"--import", "-", "--threads", "1"}, "", "-", 1},
        {{"-x", "--count-links=once", "--exclude", "*.o", "--exclude=build/", "/src"},
         "/src",
         "",
         0,
         {.oneFileSystem = true, .countLinksOnce = true, .exclude = {"*.o", "build/"}}},
        {{"--one-file-system", "--count-links", "each", "/src"}, "/src", "", 0, {.oneFileSystem = true}},
    };
    for (const WindowCase& expected : cases) {
        const CommandLine line = parse(expected.arguments);
        const std::string arguments = ::testing::PrintToString(expected.arguments);
        ASSERT_EQ(line.error, "") << arguments;
        EXPECT_EQ(line.action, CommandLine::Action::Window) << arguments;
        EXPECT_EQ(line.options.folder, expected.folder) << arguments;
        EXPECT_EQ(line.options.importFile, expected.importFile) << arguments;
        EXPECT_EQ(line.options.threads, expected.threads) << arguments;
        EXPECT_EQ(line.options.scan.oneFileSystem, expected.scan.oneFileSystem) << arguments;
        EXPECT_EQ(line.options.scan.countLinksOnce, expected.scan.countLinksOnce) << arguments;
        EXPECT_EQ(line.options.scan.exclude, expected.scan.exclude) << arguments;
    }
}

TEST(CommandLine, TheWindowRefusesWhatOnlyAReportUses)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--max-depth", "1", "/a"}, "--max-depth needs --export"},
        {{"/a", "--separator=;"}, "--separator needs --export"},
        {{"--output", "out.txt", "/a"}, "--output needs --export"},
        {{"--output=o", "--max-depth=2", "/a"}, "--output needs --export"},
        {{"--threads", "0", "/a"}, "--threads needs a whole number from 1 to 256"},
        {{"--import", "scan.json", "/a"}, "give either a folder or --import FILE, not both"},
        {{"-x", "--import", "scan.json"}, "-x, --count-links and --exclude apply to a scan, not to --import"},
        {{"--colour", "/a"}, "unknown option '--colour'"},
    };
    for (const auto& [arguments, error] : cases)
        EXPECT_EQ(parse(arguments).error, error) << ::testing::PrintToString(arguments);
}

class ExportRun : public ::testing::Test {
protected:
    ExportRun()
    {
        fixture.makeFolder("music");
        fixture.makeFile("music/song.ogg", 3000);
        fixture.makeFolder("music/live");
        fixture.makeFile("music/live/concert.ogg", 5000);
        fixture.makeFile("notes.txt", 1000);
    }
    ~ExportRun() override
    {
        std::fclose(output);
        std::fclose(messages);
    }

    int run(ExportOptions options)
    {
        ExportEnvironment environment{fileSystem, output, messages, nullptr};
        return RunExport(options, environment);
    }

    FixtureTree fixture;
    PosixFileSystem fileSystem;
    std::FILE* output = std::tmpfile();
    std::FILE* messages = std::tmpfile();
};

TEST_F(ExportRun, WritesADepthLimitedSummaryLargestFirstWithCrLf)
{
    ExportOptions options;
    options.folder = fixture.path();
    options.maxDepth = 1;
    ASSERT_EQ(run(options), 0);

    const std::string root = fixture.path();
    const std::string expected = "名称\t\t大小(字节)\t大小\t文件夹内%\t文件夹内比列图\t总%\t总比列图\r\n" + root
        + "\t\t9,000\t9KB\t\t\t\t\r\n"
          "\tmusic\t8,000\t8KB\t88.89%\t\t88.89%\t\r\n"
          "\tnotes.txt\t1,000\t1000Byte\t11.11%\t\t11.11%\t\r\n";
    EXPECT_EQ(readStream(output), expected);
    EXPECT_EQ(readStream(messages), "");
}

TEST_F(ExportRun, ReplacesTheOutputFileWhole)
{
    const std::string path = fixture.pathOf("report.html");
    std::ofstream(path) << "old report";
    ExportOptions options;
    options.format = ReportFormat::Html;
    options.folder = fixture.pathOf("music") + "/";
    options.output = path;
    ASSERT_EQ(run(options), 0);

    const std::string html = ReadFileText(path);
    EXPECT_TRUE(html.starts_with("<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"));
    EXPECT_TRUE(html.ends_with("</table>\r\n"));
    EXPECT_NE(html.find(">" + fixture.pathOf("music") + "</td>"), std::string::npos)
        << "the root is named without its trailing separator";
    EXPECT_NE(html.find(">concert.ogg</td>"), std::string::npos);
    EXPECT_EQ(readStream(output), "");
}

TEST_F(ExportRun, RefusesWhatIsNotAFolder)
{
    const std::pair<std::string, std::string> cases[] = {
        {fixture.pathOf("gone"), "tallyvane: cannot analyse '" + fixture.pathOf("gone") + "': no such folder\n"},
        {fixture.pathOf("notes.txt"),
         "tallyvane: cannot analyse '" + fixture.pathOf("notes.txt") + "': not a folder\n"},
        {"", "tallyvane: cannot analyse '': no such folder\n"},
    };
    for (const auto& [folder, message] : cases) {
        ExportOptions options;
        options.folder = folder;
        std::FILE* errors = std::tmpfile();
        ExportEnvironment environment{fileSystem, output, errors, nullptr};
        EXPECT_EQ(RunExport(options, environment), 1);
        EXPECT_EQ(readStream(errors), message);
        std::fclose(errors);
    }
    EXPECT_EQ(readStream(output), "");
}

TEST_F(ExportRun, AnInterruptWhileWritingLeavesTheOutputAsItWas)
{
    const std::string path = fixture.pathOf("report.txt");
    std::ofstream(path) << "old report";
    for (const int piecesBeforeTheInterrupt : {0, 1, 3}) {
        int pieces = 0;
        ExportEnvironment environment{fileSystem, output, messages, nullptr, [&pieces, piecesBeforeTheInterrupt] {
                                          return pieces++ >= piecesBeforeTheInterrupt;
                                      }};
        ExportOptions options;
        options.folder = fixture.path();
        options.output = path;
        EXPECT_EQ(RunExport(options, environment), 130) << piecesBeforeTheInterrupt;
        EXPECT_EQ(ReadFileText(path), "old report");
    }
    std::vector<std::string> left;
    for (const auto& file : std::filesystem::directory_iterator(fixture.path()))
        left.push_back(file.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"music", "notes.txt", "report.txt"})) << "no temporary is left";
    EXPECT_EQ(readStream(messages), "");
}

TEST_F(ExportRun, AReportInsideTheAnalysedFolderNeverListsItsOwnTemporary)
{
    const std::string path = fixture.pathOf("r.txt");
    for (const bool existing : {false, true}) {
        ExportOptions options;
        options.folder = fixture.path();
        options.output = path;
        options.maxDepth = 1;
        ASSERT_EQ(run(options), 0);
        const std::string report = ReadFileText(path);
        EXPECT_EQ(report.find("\t."), std::string::npos) << report;
        // The root, music, notes.txt, and r.txt itself once it existed before the scan.
        EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), existing ? 5 : 4) << report;
    }
}

TEST_F(ExportRun, MessagesShowControlCharactersOfNamesEscaped)
{
    const std::string folder = fixture.pathOf("\x1b]0;PWNED\x07");
    ExportOptions options;
    options.folder = folder;
    EXPECT_EQ(run(options), 1);
    EXPECT_EQ(readStream(messages),
              "tallyvane: cannot analyse '" + fixture.path() + "/\\x1b]0;PWNED\\x07': no such folder\n");
}

TEST(TerminalText, EscapesWhatATerminalWouldObey)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain name.txt", "plain name.txt"},
        {"\xE6\x96\x87\xE6\xA1\xA3 \xF0\x9F\x93\x81", "\xE6\x96\x87\xE6\xA1\xA3 \xF0\x9F\x93\x81"},
        {"bell\x07 esc\x1b[31m tab\t nl\n del\x7f", "bell\\x07 esc\\x1b[31m tab\\x09 nl\\x0a del\\x7f"},
        {"c1 csi \xC2\x9B"
         "2J nbsp\xC2\xA0",
         "c1 csi \\xc2\\x9b2J nbsp\xC2\xA0"},
        {"lone \x9b and \xFF and cut \xE6\x96", "lone \\x9b and \\xff and cut \\xe6\\x96"},
        {"overlong \xC0\xAF surrogate \xED\xA0\x80", "overlong \\xc0\\xaf surrogate \\xed\\xa0\\x80"},
        {"back\\slash", "back\\\\slash"},
    };
    for (const auto& [bytes, shown] : cases)
        EXPECT_EQ(TerminalText(bytes), shown) << bytes;
}

TEST_F(ExportRun, AFailedWriteIsReported)
{
    fixture.makeFolder("taken");
    const std::pair<std::string, std::string> cases[] = {
        {fixture.pathOf("taken"), "Cannot create file \"" + fixture.pathOf("taken") + "\". Is a directory"},
        {fixture.pathOf("no/such/place.txt"),
         "Cannot create file \"" + fixture.pathOf("no/such/place.txt") + "\". No such file or directory"},
        {"/dev/full", "Stream write error"},
    };
    for (const auto& [target, message] : cases) {
        ExportOptions options;
        options.folder = fixture.path();
        options.output = target;
        std::FILE* errors = std::tmpfile();
        ExportEnvironment environment{fileSystem, output, errors, nullptr};
        EXPECT_EQ(RunExport(options, environment), 1) << target;
        EXPECT_EQ(readStream(errors), "tallyvane: " + message + "\n");
        std::fclose(errors);
    }
}

TEST(TerminalProgress, DrawsOneLineOverTheLastAndClearsIt)
{
    RunProgress started;
    RunProgress estimated{1021, "/data/photos/", ScanProgress{12, 70}};
    RunProgress deep{7, "/data/" + std::string(100, 'x') + "/\xE5\x9B\xBE\xE7\x89\x87/", std::nullopt};
    const struct {
        const RunProgress* progress;
        double seconds;
        const char* line;
    } cases[] = {
        {&started, 0, "0 entries  0.0 s  "},
        {&estimated, 10.24, "1021 entries  10.2 s  12%, 70 s left  /data/photos/"},
        // The end of a long path, never a UTF-8 sequence cut in two.
        {&deep, 1, "7 entries  1.0 s  ...xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx/\xE5\x9B\xBE\xE7\x89\x87/"},
    };
    for (const auto& c : cases) {
        std::FILE* stream = std::tmpfile();
        {
            TerminalProgress progress(stream, true);
            progress.draw(*c.progress, c.seconds);
            EXPECT_EQ(readStream(stream), std::string("\r\033[K") + c.line);
            progress.clear();
            EXPECT_TRUE(readStream(stream).ends_with("\r\033[K")) << "the line is cleared";
        }
        std::fclose(stream);
    }

    // Away from a terminal nothing is drawn, and nothing needs clearing.
    std::FILE* quiet = std::tmpfile();
    {
        TerminalProgress progress(quiet, false);
        progress.draw(estimated, 1);
        progress.clear();
    }
    EXPECT_EQ(readStream(quiet), "");
    std::fclose(quiet);
}

TEST(TerminalProgress, AHeldInterruptStopsTheScanAtTheNextLook)
{
    FakeFileSystem fileSystem;
    std::vector<FakeFileSystem::Item> photos;
    for (int i = 0; i < 4096; ++i)
        photos.push_back(test::file("p" + std::to_string(i), 1));
    fileSystem.addFolder("/data/", {test::folder("photos")});
    fileSystem.addFolder("/data/photos/", photos);

    std::FILE* stream = std::tmpfile();
    std::FILE* output = std::tmpfile();
    {
        TerminalProgress progress(stream, false);
        // The scan holds at a record until the interrupt has been seen by the command.
        std::binary_semaphore seen(0);
        bool interruptedMidway = false;
        fileSystem.beforeRecord = [&](const std::string&, const std::string& name) {
            if (name != "p3000")
                return;
            EXPECT_FALSE(progress.interrupted());
            // Held, as while a file is replaced: unheld, the interrupt would end the test.
            progress.holdInterrupts(true);
            std::raise(SIGINT);
            interruptedMidway = progress.interrupted();
            seen.acquire();
        };
        ExportEnvironment environment{fileSystem, output, stream, &progress, [&] {
                                          const bool interrupted = progress.interrupted();
                                          if (interrupted)
                                              seen.release();
                                          return interrupted;
                                      }};
        ExportOptions options;
        options.folder = "/data";
        EXPECT_EQ(RunExport(options, environment), 130);
        EXPECT_TRUE(interruptedMidway);
    }
    EXPECT_EQ(readStream(output), "") << "no report after an interrupt";
    std::fclose(stream);
    std::fclose(output);
}

// A shell command's exit status, with what it wrote to its output.
int runCommand(const std::string& command, std::string* out = nullptr)
{
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string text = readStream(pipe);
    if (out)
        *out = text;
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The built program, end to end.
int runProgram(const std::string& arguments, std::string* out = nullptr)
{
    return runCommand(std::string(TALLYVANE_EXECUTABLE) + " " + arguments + " 2>/dev/null", out);
}

TEST(Program, ExitCodesTellSuccessFailureAndMisuse)
{
    FixtureTree fixture;
    fixture.makeFile("a.txt", 1234);
    std::string out;
    EXPECT_EQ(runProgram("--export text --max-depth 0 '" + fixture.path() + "'", &out), 0);
    EXPECT_EQ(out,
              "名称\t大小(字节)\t大小\t文件夹内%\t文件夹内比列图\t总%\t总比列图\r\n" + fixture.path()
                  + "\t1,234\t1KB\t\t\t\t\r\n");
    EXPECT_EQ(runProgram("--export text '" + fixture.pathOf("a.txt") + "'"), 1);
    EXPECT_EQ(runProgram("--export csv '" + fixture.path() + "'"), 2);
    // Misuse is told in one line, without the usage text burying it.
    EXPECT_EQ(runCommand(std::string(TALLYVANE_EXECUTABLE) + " --max-depth 1 '" + fixture.path() + "' 2>&1", &out), 2);
    EXPECT_EQ(out, "tallyvane: --max-depth needs --export\n");
    EXPECT_EQ(runProgram("--version", &out), 0);
    EXPECT_EQ(out, "tallyvane 3.0.5\n");
    EXPECT_EQ(runProgram("--help", &out), 0);
    EXPECT_TRUE(out.starts_with("Usage: tallyvane")) << out;
}

// The command line needs nothing of the window, which is a module of its own: a copy of the
// program alone writes reports, and asked for the window it tells what it missed.
TEST(Program, ReportsNeedNoWindowModuleAndAMissingOneIsTold)
{
    FixtureTree fixture;
    fixture.makeFolder("data");
    fixture.makeFile("data/a.txt", 1234);
    fixture.makeFolder("bin");
    std::filesystem::copy_file(TALLYVANE_EXECUTABLE, fixture.pathOf("bin/tallyvane"));
    const std::string program = "'" + fixture.pathOf("bin/tallyvane") + "' ";
    std::string out;
    EXPECT_EQ(runCommand(program + "--export text --max-depth 0 '" + fixture.pathOf("data") + "' 2>&1", &out), 0);
    EXPECT_NE(out.find("\t1,234\t"), std::string::npos) << out;
    EXPECT_EQ(runCommand("QT_QPA_PLATFORM=offscreen " + program + "'" + fixture.pathOf("data") + "' 2>&1", &out), 1);
    EXPECT_EQ(out,
              "tallyvane: cannot start the window: not found: " + fixture.pathOf("bin/tallyvane-window.so") + ", "
                  + fixture.pathOf("lib/tallyvane/tallyvane-window.so") + "\n");
}

// Standard input is read with the same bound as a file, and a refusal is one line.
TEST(Program, ReadsExcludePatternsFromStandardInputWithinTheBound)
{
    FixtureTree fixture;
    fixture.makeFile("keep.txt", 1000);
    fixture.makeFile("drop.o", 2000);
    const std::string program = std::string(TALLYVANE_EXECUTABLE) + " --export text --max-depth 1 ";
    std::string out;
    EXPECT_EQ(runCommand("printf '*.o\\n' | " + program + "--exclude-from - '" + fixture.path() + "' 2>&1", &out), 0);
    EXPECT_NE(out.find(fixture.path() + "\t\t1,000\t"), std::string::npos) << out;
    EXPECT_EQ(runCommand(program + "--exclude-from - '" + fixture.path() + "' < /dev/zero 2>&1", &out), 2);
    EXPECT_EQ(out, "tallyvane: cannot read the exclude file '-': larger than 1 MiB\n");
    EXPECT_EQ(runCommand(program + "--exclude-from /nonexistent '" + fixture.path() + "' 2>&1", &out), 2);
    EXPECT_EQ(out, "tallyvane: cannot read the exclude file '/nonexistent': No such file or directory\n");
}

// The built program started with arguments, its standard streams left to the test's;
// inChild, when given, runs in the child before the program starts (limits, environment).
class RunningProgram {
public:
    explicit RunningProgram(const std::vector<std::string>& arguments, const std::function<void()>& inChild = {})
    {
        std::vector<char*> argv{const_cast<char*>(TALLYVANE_EXECUTABLE)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            if (inChild)
                inChild();
            ::execv(TALLYVANE_EXECUTABLE, argv.data());
            ::_exit(127);
        }
    }
    ~RunningProgram()
    {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    // Waits until one of the program's threads (its main thread, when mainThreadOnly) sleeps in
    // the kernel in a function whose name holds where (/proc/PID/task/TID/wchan; kernels name
    // them a little differently), within a bound.
    bool waitUntilBlockedIn(const std::string& where, bool mainThreadOnly = false) const
    {
        const std::filesystem::path tasks = "/proc/" + std::to_string(m_pid) + "/task";
        for (int i = 0; i < 500; ++i) {
            std::error_code error;
            for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
                if (mainThreadOnly && task.path().filename() != std::to_string(m_pid))
                    continue;
                std::ifstream wchan(task.path() / "wchan");
                std::string name;
                std::getline(wchan, name);
                if (name.find(where) != std::string::npos)
                    return true;
            }
            ::usleep(10'000);
        }
        return false;
    }

    void signal(int number) const { ::kill(m_pid, number); }

    // The exit status, or -1 when the program is still running after the hang guard's bound.
    int exitStatus()
    {
        for (int i = 0; i < 1000; ++i) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_reaped = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status) + 1000;
            }
            ::usleep(10'000);
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
    bool m_reaped = false;
};

// An interrupt ends the program with 130 wherever it waits, leaving nothing behind: opening a
// FIFO nobody else opens, reading a silent one while a report file waits to be replaced.
TEST(Program, AnInterruptEndsTheProgramWhereverItWaits)
{
    FixtureTree fixture;
    fixture.makeFolder("data");
    fixture.makeFile("data/a.txt", 10);
    const std::string fifo = fixture.pathOf("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string report = fixture.pathOf("report.txt");
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        const char* blockedIn;
        int signal;
    };
    const Case cases[] = {
        {"opening an import", {"--export", "text", "--import", fifo}, "wait_for_partner", SIGINT},
        {"opening the output",
         {"--export", "text", "--output", fifo, fixture.pathOf("data")},
         "wait_for_partner",
         SIGINT},
        {"opening an import before replacing a file",
         {"--export", "text", "--import", fifo, "--output", report},
         "wait_for_partner",
         SIGTERM},
        {"reading an import while replacing a file",
         {"--export", "text", "--import", fifo, "--output", report},
         "pipe_read",
         SIGINT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunningProgram program(c.arguments);
        int writer = -1;
        if (std::string_view(c.blockedIn) == "pipe_read") {
            ASSERT_TRUE(program.waitUntilBlockedIn("wait_for_partner"));
            writer = ::open(fifo.c_str(), O_WRONLY);
            ASSERT_GE(writer, 0);
            ASSERT_EQ(::write(writer, "[1,2,{", 6), 6);
        }
        EXPECT_TRUE(program.waitUntilBlockedIn(c.blockedIn));
        program.signal(c.signal);
        EXPECT_EQ(program.exitStatus(), 130);
        if (writer >= 0)
            ::close(writer);
        std::vector<std::string> left;
        for (const auto& file : std::filesystem::directory_iterator(fixture.path()))
            left.push_back(file.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"data", "fifo"})) << "nothing is left behind";
    }
}

// Without a display the window is not tried (the graphical libraries would abort the process):
// the program says what it lacks and where a report is to be had.
TEST(Program, WithoutADisplayTheWindowIsNotTried)
{
    FixtureTree fixture;
    const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    const std::string told =
        "tallyvane: no display to open the window on; use --export to write a report without one\n";
    for (const std::string& environment : {noDisplay, noDisplay + "QT_QPA_PLATFORM=xcb "}) {
        std::string out;
        EXPECT_EQ(runCommand(environment + TALLYVANE_EXECUTABLE + " '" + fixture.path() + "' 2>&1", &out), 1)
            << environment;
        EXPECT_EQ(out, told) << environment;
    }
}

// Qt waits for the threads it starts (painting a large fill waits for the thread pool's tasks):
// where no thread can start, the window would wait for good. The program says so in one line
// and exits with 1; where there is room, the window runs and a SIGTERM ends it. A stack limit as
// large as the address space leaves no room for any thread's stack, wherever Qt starts one.
TEST(Program, TheWindowRunsOrTellsItCannotNeverHangs)
{
    FixtureTree fixture;
    fixture.makeFolder("data");
    fixture.makeFile("data/a.txt", 10);
    fixture.makeFolder("runtime");
    ASSERT_EQ(::chmod(fixture.pathOf("runtime").c_str(), 0700), 0);
    const std::string messagesPath = fixture.pathOf("messages.txt");
    constexpr rlim_t NoRoomForAThread = rlim_t{1} << 30;
    struct Case {
        const char* what;
        rlim_t limit; // address space and stack, 0 for none
    };
    for (const Case& c : {Case{"no room for a thread", NoRoomForAThread}, Case{"room", 0}}) {
        SCOPED_TRACE(c.what);
#ifdef __SANITIZE_ADDRESS__
        // AddressSanitizer maps terabytes of shadow memory as the program starts: under an
        // address-space limit nothing of ours would run.
        if (c.limit)
            continue;
#endif
        RunningProgram program({fixture.pathOf("data")}, [&] {
            if (c.limit) {
                const struct rlimit limit {
                    c.limit, c.limit
                };
                ::setrlimit(RLIMIT_STACK, &limit);
                ::setrlimit(RLIMIT_AS, &limit);
            }
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("XDG_RUNTIME_DIR", fixture.pathOf("runtime").c_str(), 1);
            const int messages = ::open(messagesPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(messages, STDERR_FILENO);
        });
        if (c.limit) {
            EXPECT_EQ(program.exitStatus(), 1);
            EXPECT_EQ(ReadFileText(messagesPath), "tallyvane: cannot run the window: no room to start a thread\n");
        } else {
            EXPECT_TRUE(program.waitUntilBlockedIn("poll", true)) << "the window waits for events";
            program.signal(SIGTERM);
            EXPECT_EQ(program.exitStatus(), 1000 + 128 + SIGTERM);
        }
    }
}

// Names that break careless writers and readers: JSON's own quote and escape, control
// characters, a line break, bytes that are not UTF-8 and the longest name a file system allows.
class NcduRoundTrip : public ExportRun {
protected:
    NcduRoundTrip()
    {
        fixture.makeFolder("odd \"quoted\" \\back\\slash");
        fixture.makeFile("odd \"quoted\" \\back\\slash/ctl\x01\x1f\x7f", 77);
        fixture.makeFile("odd \"quoted\" \\back\\slash/new\nline\r\tx", 1500);
        fixture.makeFolder("bad \xff\xfe utf8 \xc3");
        fixture.makeFile("bad \xff\xfe utf8 \xc3/" + std::string(255, 'n'), 4097);
        fixture.makeFile("bad \xff\xfe utf8 \xc3/caf\xc3\xa9 \xf0\x9f\x98\x80", 12);
        fixture.makeFolder("empty");
        fixture.makeSymlink("link", "notes.txt");
    }
    ~NcduRoundTrip() override
    {
        // Qt's removal cannot name what is not UTF-8; the standard library takes the bytes.
        std::filesystem::remove_all(fixture.pathOf("bad \xff\xfe utf8 \xc3"));
    }

    std::string exported(ExportOptions options)
    {
        std::fclose(output);
        output = std::tmpfile();
        EXPECT_EQ(run(options), 0) << readStream(messages);
        return readStream(output);
    }

    std::string textOf(const std::string& importFile, int maxDepth)
    {
        ExportOptions options;
        options.importFile = importFile;
        options.maxDepth = maxDepth;
        return exported(options);
    }

    std::string directText(int maxDepth)
    {
        ExportOptions options;
        options.folder = fixture.path();
        options.maxDepth = maxDepth;
        return exported(options);
    }

    std::string exportNcdu()
    {
        const std::string json = scratch.path().toStdString() + "/scan.json";
        ExportOptions options;
        options.folder = fixture.path();
        options.format = ReportFormat::Ncdu;
        options.output = json;
        EXPECT_EQ(run(options), 0) << readStream(messages);
        return json;
    }

    QTemporaryDir scratch;
};

TEST_F(NcduRoundTrip, ImportOfTheExportGivesTheScansReportsByteForByte)
{
    const std::string json = exportNcdu();
    const std::string written = ReadFileText(json);
    EXPECT_NE(written.find("\xff\xfe utf8 \xc3"), std::string::npos) << "raw bytes, not replaced";
    EXPECT_EQ(written.find('\r'), std::string::npos);
    for (const int depth : {-1, 1}) {
        SCOPED_TRACE(depth);
        const std::string direct = directText(depth);
        EXPECT_NE(direct.find("\tlink\t"), std::string::npos);
        EXPECT_EQ(textOf(json, depth), direct);
    }
}

TEST_F(NcduRoundTrip, NcduReadsTheExport)
{
    if (std::system("command -v ncdu >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ncdu is not installed (scripts/setup.sh --bench installs it)";
    const std::string json = exportNcdu();
    // ncdu imports our file and exports what it read; our reader then gives the same report.
    const std::string again = scratch.path().toStdString() + "/again.json";
    const std::string command = "ncdu -0 -f '" + json + "' -o '" + again + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_TRUE(ReadFileText(again).starts_with("[1,")) << ReadFileText(again);
    EXPECT_EQ(textOf(again, -1), directText(-1));
}

TEST_F(ExportRun, TheNcduExportMarksWhatTheOptionsLeftOut)
{
    const std::string json = fixture.pathOf("scan.json");
    ExportOptions options;
    options.folder = fixture.path();
    options.format = ReportFormat::Ncdu;
    options.output = json;
    options.scan.exclude = {"live", "*.json"};
    ASSERT_EQ(run(options), 0) << readStream(messages);
    const std::string written = ReadFileText(json);
    EXPECT_NE(written.find("[{\"name\":\"live\",\"excluded\":\"pattern\"}]"), std::string::npos) << written;
    EXPECT_EQ(written.find("concert.ogg"), std::string::npos) << "an excluded folder is not entered";
    EXPECT_NE(written.find("{\"name\":\"song.ogg\",\"asize\":3000}"), std::string::npos) << written;
}

TEST(CommandLine, FoldersThatCannotBeReadAreToldOnceWithTheReportWholeAndExitOne)
{
    FakeFileSystem fileSystem;
    fileSystem.addFolder("/data/", {test::file("a", 5), test::folder("full"), test::folder("locked")});
    fileSystem.openErrors = {{"/data/full/", EMFILE}, {"/data/locked/", EACCES}};
    std::FILE* output = std::tmpfile();
    std::FILE* messages = std::tmpfile();
    ExportEnvironment environment{fileSystem, output, messages, nullptr};
    ExportOptions options;
    options.folder = "/data";
    options.format = ReportFormat::Ncdu;
    EXPECT_EQ(RunExport(options, environment), 1);
    const std::string written = readStream(output);
    EXPECT_NE(written.find("[{\"name\":\"full\",\"read_error\":true}]"), std::string::npos) << written;
    EXPECT_NE(written.find("[{\"name\":\"locked\",\"read_error\":true}]"), std::string::npos) << written;
    EXPECT_EQ(readStream(messages),
              "tallyvane: 2 folders could not be read and count as empty, the first '/data/full/': "
                  + std::string(std::strerror(EMFILE)) + "\n");
    std::fclose(output);
    std::fclose(messages);
}

TEST_F(ExportRun, BadImportsExitWithOneAndSayWhere)
{
    QTemporaryDir scratch;
    const std::string bad = scratch.path().toStdString() + "/bad.json";
    WriteFileText(bad, "[1,2,{},[{\"name\":\"/a\"},{\"name\":\"b\",\"asize\":-3}]]");
    ExportOptions options;
    options.importFile = bad;
    EXPECT_EQ(run(options), 1);
    EXPECT_EQ(readStream(messages),
              "tallyvane: cannot import '" + bad + "': byte 43: \"asize\" out of range (0 to 9223372036854775807)\n");
    EXPECT_EQ(readStream(output), "");

    std::fclose(messages);
    messages = std::tmpfile();
    options.importFile = scratch.path().toStdString() + "/missing.json";
    EXPECT_EQ(run(options), 1);
    EXPECT_EQ(readStream(messages),
              "tallyvane: cannot import '" + options.importFile
                  + "': cannot open the file: No such file or directory\n");
}

TEST(Program, ImportsFromStandardInput)
{
    FixtureTree fixture;
    fixture.makeFile("a.txt", 1234);
    std::string direct;
    std::string imported;
    ASSERT_EQ(runProgram("--export text '" + fixture.path() + "'", &direct), 0);
    ASSERT_EQ(
        runProgram("--export ncdu '" + fixture.path() + "' | " + TALLYVANE_EXECUTABLE + " --import - --export text",
                   &imported),
        0);
    EXPECT_EQ(imported, direct);
    EXPECT_EQ(runProgram("--import - --export text < /dev/null"), 1);
}

} // namespace
} // namespace tallyvane

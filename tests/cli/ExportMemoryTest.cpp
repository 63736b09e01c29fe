// SPDX-License-Identifier: GPL-3.0-or-later
// Runs out of memory on purpose: the program's operator new fails where a test arms it.
#include "cli/ExportCommand.h"
#include "platform/PosixFileSystem.h"
#include "support/FailingAllocator.h"
#include "support/FileText.h"
#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

std::string textOf(std::FILE* file)
{
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

TEST(ExportMemory, AScanOutOfMemoryExitsWithAMessageAndLeavesTheOutputAsItWas)
{
    test::FixtureTree fixture;
    for (int i = 0; i < 20; ++i) {
        fixture.makeFolder("f" + std::to_string(i));
        for (int k = 0; k < 20; ++k)
            fixture.makeFile("f" + std::to_string(i) + "/file-" + std::to_string(k), k);
    }
    const std::string target = fixture.pathOf("report.txt");
    test::WriteFileText(target, "earlier report\n");
    for (const unsigned threads : {1u, 4u}) {
        PosixFileSystem real({.threads = threads});
        test::FailingOpenFileSystem fileSystem(real, 40, false); // inside the scan
        std::FILE* output = std::tmpfile();
        std::FILE* messages = std::tmpfile();
        ExportEnvironment environment{fileSystem, output, messages, nullptr};
        ExportOptions options;
        options.folder = fixture.path();
        options.output = target;
        EXPECT_EQ(RunExport(options, environment), 1) << threads;
        test::disarmAllocationFailure();
        EXPECT_EQ(textOf(messages), "tallyvane: cannot analyse '" + fixture.path() + "': out of memory\n");
        EXPECT_EQ(test::ReadFileText(target), "earlier report\n");
        std::fclose(output);
        std::fclose(messages);
    }
}

// The program run in a child whose address space is limited to limitBytes: its exit status
// (127 when the loader could not map the libraries), with what it wrote to standard error.
int runLimited(std::size_t limitBytes, const std::vector<std::string>& arguments, std::string& messages)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return -1;
    std::vector<char*> argv{const_cast<char*>(TALLYVANE_EXECUTABLE)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const struct rlimit limit {
            limitBytes, limitBytes
        };
        ::setrlimit(RLIMIT_AS, &limit);
        ::dup2(pipeEnds[1], STDERR_FILENO);
        ::close(pipeEnds[0]);
        ::execv(TALLYVANE_EXECUTABLE, argv.data());
        ::_exit(126);
    }
    ::close(pipeEnds[1]);
    messages.clear();
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        messages.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

// Wherever the limit makes an allocation fail, from the arguments to the report, the program
// says it ran out of memory in one line and exits with 1: never an abort.
TEST(ExportMemory, UnderAnyAddressSpaceLimitTheProgramEndsWithAMessage)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer maps terabytes of shadow memory: under an address-space limit nothing of "
                    "the program's own would run";
#endif
    test::FixtureTree fixture;
    for (int i = 0; i < 30; ++i) {
        fixture.makeFolder("f" + std::to_string(i));
        for (int k = 0; k < 30; ++k)
            fixture.makeFile("f" + std::to_string(i) + "/file-" + std::to_string(k), k);
    }
    const std::vector<std::string> arguments = {"--export", "text", "--output", fixture.pathOf("report.txt"),
                                                fixture.path()};
    constexpr std::size_t Step = 64 * 1024;
    std::string messages;
    // The lowest limit at which the libraries load at all depends on the machine.
    std::size_t limit = 16 * 1024 * 1024;
    while (runLimited(limit, arguments, messages) == 127 && limit < 512 * 1024 * 1024)
        limit += 4 * 1024 * 1024;
    limit -= std::min(limit, std::size_t{4 * 1024 * 1024});
    int failures = 0;
    int successes = 0;
    for (; successes < 8 && limit < 1024 * 1024 * 1024; limit += Step) {
        const int status = runLimited(limit, arguments, messages);
        // The loader, or a library's initialisation before main(), could not have what it needs.
        if (status == 127 || (status == 1 && messages.find("libgomp: ") != std::string::npos))
            continue;
        if (status == 0) {
            ++successes;
            continue;
        }
        ++failures;
        EXPECT_EQ(status, 1) << limit << " bytes: " << messages;
        EXPECT_TRUE(messages.starts_with("tallyvane: ") && messages.ends_with("out of memory\n")
                    && messages.find('\n') == messages.size() - 1)
            << limit << " bytes: " << messages;
        EXPECT_FALSE(std::filesystem::exists(fixture.pathOf("report.txt"))) << limit;
    }
    EXPECT_GT(failures, 0) << "no limit made an allocation fail";
    EXPECT_EQ(successes, 8) << "the program never had memory enough";
}

} // namespace
} // namespace tallyvane

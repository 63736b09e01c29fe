// SPDX-License-Identifier: GPL-3.0-or-later
// Runs out of memory on purpose: the program's operator new fails where a test arms it.
#include "cli/ExportCommand.h"
#include "platform/PosixFileSystem.h"
#include "support/FailingAllocator.h"
#include "support/FileText.h"
#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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

} // namespace
} // namespace tallyvane

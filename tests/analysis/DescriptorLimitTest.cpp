// SPDX-License-Identifier: GPL-3.0-or-later
// Scans under a low RLIMIT_NOFILE, each in a child process so the limit binds nothing else.
#include "analysis/FolderScan.h"
#include "platform/PosixFileSystem.h"
#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace tallyvane {
namespace {

struct ScanFigures {
    std::int64_t total;
    std::uint32_t entries;
    std::uint32_t unreadable;
    bool operator==(const ScanFigures&) const = default;
};

ScanFigures scanFigures(const std::string& path, unsigned threads)
{
    EntryTree tree;
    QuietScanHost host;
    PosixFileSystem fileSystem({.threads = threads});
    FolderScanner scanner(tree, fileSystem, host);
    const std::int64_t total = scanner.ScanFolder(path, NoEntry);
    return {total, scanner.ScanCount(), scanner.unreadableFolders().count};
}

// Deep enough that a scan keeping every folder it is in open runs out at any of the limits,
// and wide enough that the workers read ahead beside it.
class DescriptorLimit : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        fixture = new test::FixtureTree(QStringLiteral("/dev/shm"));
        fixture->makeChain("", "deep", 2000, "bottom", 7);
        for (int i = 0; i < 20; ++i) {
            const std::string folder = "wide" + std::to_string(i);
            fixture->makeFolder(folder);
            for (int j = 0; j < 3; ++j) {
                const std::string sub = folder + "/s" + std::to_string(j);
                fixture->makeFolder(sub);
                for (int k = 0; k < 10; ++k)
                    fixture->makeFile(sub + "/f" + std::to_string(k), 1 + i + j + k);
            }
        }
    }
    static void TearDownTestSuite()
    {
        delete fixture;
        fixture = nullptr;
    }

    static test::FixtureTree* fixture;
};

test::FixtureTree* DescriptorLimit::fixture = nullptr;

TEST_F(DescriptorLimit, ScansAreCompleteAtEveryLimitFrom32Descriptors)
{
    const ScanFigures unlimited = scanFigures(fixture->path(), 1);
    ASSERT_EQ(unlimited.unreadable, 0u);
    ASSERT_GT(unlimited.entries, 2000u);

    for (const rlim_t limit : {32, 64, 256}) {
        for (const unsigned threads : {1u, 4u}) {
            const pid_t child = ::fork();
            if (child == 0) {
                const rlimit low{limit, limit};
                if (::setrlimit(RLIMIT_NOFILE, &low) != 0)
                    ::_exit(2);
                ::_exit(scanFigures(fixture->path(), threads) == unlimited ? 0 : 1);
            }
            int status = -1;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFEXITED(status)) << limit << " descriptors, " << threads << " threads";
            EXPECT_EQ(WEXITSTATUS(status), 0) << limit << " descriptors, " << threads << " threads";
        }
    }
}

} // namespace
} // namespace tallyvane

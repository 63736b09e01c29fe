// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"
#include "support/FileText.h"
#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace tallyvane {
namespace {

using test::FixtureTree;
using test::ReadFileText;

std::size_t filesIn(const std::string& folder)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

TEST(AtomicFile, ReplacesTheFileOnlyOnCommit)
{
    FixtureTree tree;
    const std::string path = tree.pathOf("report.txt");
    std::ofstream(path) << "old";
    ::chmod(path.c_str(), 0640);
    {
        AtomicFile file(path);
        file.write("new ");
        file.write(std::string(200000, 'x'));
        EXPECT_EQ(ReadFileText(path), "old");
        file.commit();
    }
    EXPECT_EQ(ReadFileText(path), "new " + std::string(200000, 'x'));
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(filesIn(tree.path()), 1u);
}

TEST(AtomicFile, AnAbandonedWriteLeavesNoTrace)
{
    FixtureTree tree;
    const std::string path = tree.pathOf("report.txt");
    std::ofstream(path) << "old";
    {
        AtomicFile file(path);
        file.write("half a report");
    }
    EXPECT_EQ(ReadFileText(path), "old");
    EXPECT_EQ(filesIn(tree.path()), 1u);
}

TEST(AtomicFile, ReportsWhatCannotBeCreated)
{
    FixtureTree tree;
    tree.makeFolder("folder");
    const std::pair<std::string, std::string> cases[] = {
        {tree.pathOf("missing/report.txt"),
         "Cannot create file \"" + tree.pathOf("missing/report.txt") + "\". No such file or directory"},
        {tree.pathOf("folder"), "Cannot create file \"" + tree.pathOf("folder") + "\". Is a directory"},
    };
    for (const auto& [path, message] : cases) {
        try {
            AtomicFile file(path);
            ADD_FAILURE() << "created " << path;
        } catch (const FileError& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

TEST(AtomicFile, AFullDiskIsAWriteError)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    AtomicFile file("/dev/full");
    EXPECT_THROW(
        {
            file.write(std::string(1 << 17, 'x'));
            file.commit();
        },
        FileError);
    struct stat st;
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << "a device must be written, never replaced";
}

TEST(AtomicFile, ReplacesTheTargetOfALink)
{
    FixtureTree tree;
    std::ofstream(tree.pathOf("real.txt")) << "old";
    tree.makeSymlink("link.txt", "real.txt");
    AtomicFile file(tree.pathOf("link.txt"));
    file.write("new");
    file.commit();
    EXPECT_EQ(ReadFileText(tree.pathOf("real.txt")), "new");
    struct stat st;
    ASSERT_EQ(::lstat(tree.pathOf("link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

} // namespace
} // namespace tallyvane

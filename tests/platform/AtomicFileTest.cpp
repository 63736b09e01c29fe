// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"
#include "support/FileText.h"
#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

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

struct stat statOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

TEST(AtomicFile, WritesTheTargetOfALinkDanglingOrNot)
{
    struct Case {
        const char* name;
        bool targetExists;
        std::vector<std::pair<std::string, std::string>> links; // name, what it leads to
    };
    const Case cases[] = {
        {"to a file", true, {{"link.txt", "real.txt"}}},
        {"dangling", false, {{"link.txt", "real.txt"}}},
        {"relative to another folder", false, {{"link.txt", "sub/next"}, {"sub/next", "../real.txt"}}},
        {"absolute", true, {{"link.txt", "ABSOLUTE"}}},
    };
    const mode_t mask = ::umask(022);
    for (const Case& c : cases) {
        FixtureTree tree;
        tree.makeFolder("sub");
        if (c.targetExists)
            std::ofstream(tree.pathOf("real.txt")) << "old";
        for (const auto& [name, target] : c.links)
            tree.makeSymlink(name, target == "ABSOLUTE" ? tree.pathOf("real.txt") : target);
        AtomicFile file(tree.pathOf("link.txt"));
        file.write("new");
        file.commit();
        EXPECT_EQ(ReadFileText(tree.pathOf("real.txt")), "new") << c.name;
        EXPECT_TRUE(S_ISLNK(statOf(tree.pathOf("link.txt")).st_mode)) << c.name;
        if (!c.targetExists) {
            EXPECT_EQ(statOf(tree.pathOf("real.txt")).st_mode & 07777, 0644u) << c.name;
        }
        EXPECT_EQ(filesIn(tree.path()), 3u) << c.name;
    }
    ::umask(mask);
}

// Standard output, for the span of one test, goes to a file of the test's.
class StandardOutputTo {
public:
    explicit StandardOutputTo(int fd) : m_saved(::dup(STDOUT_FILENO))
    {
        std::fflush(stdout);
        ::dup2(fd, STDOUT_FILENO);
    }
    ~StandardOutputTo()
    {
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
    }

private:
    int m_saved;
};

TEST(AtomicFile, WritesThroughTheNameOfAnOpenDescriptor)
{
    // As "tallyvane --output /dev/stdout >> log" does: the log keeps its earlier lines.
    for (const char* name : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
        FixtureTree tree;
        const std::string log = tree.pathOf("log");
        std::ofstream(log) << "a\n";
        const ino_t inode = statOf(log).st_ino;
        const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        {
            StandardOutputTo redirect(fd);
            AtomicFile file(name);
            file.write("b\n");
            file.commit();
        }
        ::close(fd);
        EXPECT_EQ(ReadFileText(log), "a\nb\n") << name;
        EXPECT_EQ(statOf(log).st_ino, inode) << name << " must be written, not replaced";
        EXPECT_EQ(filesIn(tree.path()), 1u) << name;
    }
}

TEST(AtomicFile, WritesAPipeDirectly)
{
    FixtureTree tree;
    const std::string fifo = tree.pathOf("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    AtomicFile file(fifo);
    file.write("through");
    file.commit();
    char bytes[16] = {};
    EXPECT_EQ(::read(reader, bytes, sizeof bytes), 7);
    ::close(reader);
    EXPECT_STREQ(bytes, "through");
    EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));
    EXPECT_EQ(filesIn(tree.path()), 1u);
}

constexpr uid_t Nobody = 65534;

// File access as an unprivileged user for the span of one test, when the test runs as root.
class UnprivilegedFileAccess {
public:
    UnprivilegedFileAccess() : m_wasRoot(::geteuid() == 0)
    {
        if (m_wasRoot)
            ::setfsuid(Nobody);
    }
    ~UnprivilegedFileAccess()
    {
        if (m_wasRoot)
            ::setfsuid(0);
    }

private:
    bool m_wasRoot;
};

TEST(AtomicFile, RefusesToReplaceAFileTheUserMayNotWrite)
{
    FixtureTree tree;
    ::chmod(tree.path().c_str(), 0777);
    const std::string path = tree.pathOf("protected.txt");
    std::ofstream(path) << "old";
    ::chmod(path.c_str(), 0444);
    {
        UnprivilegedFileAccess user;
        try {
            AtomicFile file(path);
            file.write("new");
            file.commit();
            ADD_FAILURE() << "replaced a read-only file";
        } catch (const FileError& error) {
            EXPECT_EQ(error.what(), "Cannot create file \"" + path + "\". Permission denied");
        }
    }
    EXPECT_EQ(ReadFileText(path), "old");
    EXPECT_EQ(filesIn(tree.path()), 1u);
}

TEST(AtomicFile, AReplacedFileKeepsItsOwnerAndGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    FixtureTree tree;
    const std::string path = tree.pathOf("report.txt");
    std::ofstream(path) << "old";
    ASSERT_EQ(::chown(path.c_str(), Nobody, Nobody), 0);
    ::chmod(path.c_str(), 0640);
    AtomicFile file(path);
    file.write("new");
    file.commit();
    const struct stat st = statOf(path);
    EXPECT_EQ(ReadFileText(path), "new");
    EXPECT_EQ(st.st_uid, Nobody);
    EXPECT_EQ(st.st_gid, Nobody);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(AtomicFile, AKilledWriteLeavesNothingBehind)
{
    FixtureTree tree;
    const int probe = ::open(tree.path().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (probe < 0)
        GTEST_SKIP() << "the file system has no unnamed files";
    ::close(probe);
    const std::string path = tree.pathOf("report.txt");
    std::ofstream(path) << "old";
    for (const std::string& target : {path, tree.pathOf("new.txt")}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            AtomicFile file(target);
            file.write(std::string(1 << 20, 'x'));
            ::kill(::getpid(), SIGKILL);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        EXPECT_EQ(filesIn(tree.path()), 1u) << target;
    }
    EXPECT_EQ(ReadFileText(path), "old");
}

} // namespace
} // namespace tallyvane

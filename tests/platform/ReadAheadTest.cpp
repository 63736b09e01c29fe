// SPDX-License-Identifier: GPL-3.0-or-later
// Listing folders ahead on worker threads: the same records in the same order as the scan's
// own thread alone, within the budgets, and nothing left behind when a scan stops early.
#include "platform/FileAttributes.h"
#include "platform/PosixFileSystem.h"
#include "platform/ReadAheadFolder.h"
#include "platform/ReadAheadWatcher.h"
#include "support/FixtureTree.h"
#include "support/ProcessCounts.h"
#include "support/Unprivileged.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <latch>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace tallyvane {
namespace {

using test::FixtureTree;

// Every record a scan sees, "." and ".." included, in the order it sees them: its depth, name,
// attributes and size. The depth and the order together fix the tree.
std::vector<std::string> scanOrder(FileSystem& fileSystem, const std::string& path, std::size_t stopAfter = SIZE_MAX)
{
    std::vector<std::string> records;
    std::vector<std::unique_ptr<FolderListing>> levels;
    levels.push_back(fileSystem.openFolder(path));
    FolderItem item;
    while (!levels.empty()) {
        if (records.size() >= stopAfter || !levels.back()->next(item)) {
            levels.pop_back();
            continue;
        }
        records.push_back(std::to_string(levels.size()) + " " + std::string(item.name) + " "
                          + std::to_string(item.attributes) + " " + std::to_string(item.size));
        if ((item.attributes & Attribute::Directory) && item.name != "." && item.name != "..")
            levels.push_back(levels.back()->openItem());
    }
    return records;
}

struct Reading {
    const char* name;
    FolderReading reading;
};

// The scan's thread alone is the reference; the others must match it record for record.
const Reading Readings[] = {
    {"two threads", {.threads = 2}},
    {"eight threads", {.threads = 8}},
    {"one thread, 4 descriptors", {.threads = 1, .descriptorBudget = 4}},
    {"two threads, 4 descriptors, 16 records", {.threads = 2, .descriptorBudget = 4, .recordBudget = 16}},
    {"eight threads, 3 descriptors, 1 record", {.threads = 8, .descriptorBudget = 3, .recordBudget = 1}},
    {"eight threads, 12 descriptors, 200 records", {.threads = 8, .descriptorBudget = 12, .recordBudget = 200}},
};

// A generated tree: folders of random fan-out and depth, a deep chain with a file and an
// empty folder beside each level, a wide folder, links of every kind, hidden, read-only and
// sparse files, and an unreadable folder.
void generateTree(FixtureTree& tree, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::string> folders{""};
    for (int i = 0; i < 3000; ++i) {
        const std::string& parent = folders[random() % folders.size()];
        const std::string prefix = parent.empty() ? "" : parent + "/";
        const std::string name = (random() % 7 == 0 ? "." : "") + std::string("n") + std::to_string(i);
        switch (random() % 6) {
        case 0:
        case 1:
            tree.makeFolder(prefix + name);
            folders.push_back(prefix + name);
            break;
        case 2:
            tree.makeSymlink(prefix + name, random() % 2 ? ".." : "missing");
            break;
        default:
            tree.makeFile(prefix + name, random() % 3 == 0 ? (std::int64_t(random()) << 8) : random() % 5000);
            if (random() % 5 == 0)
                ::chmod(tree.pathOf(prefix + name).c_str(), 0444);
        }
    }
    std::string level = "chain";
    tree.makeFolder(level);
    for (int depth = 0; depth < 400; ++depth) {
        tree.makeFile(level + "/f", depth);
        tree.makeFolder(level + "/empty");
        level += "/c";
        tree.makeFolder(level);
    }
    tree.makeFolder("wide");
    for (int i = 0; i < 5000; ++i)
        tree.makeFile("wide/" + std::to_string(i) + std::string(i % 200, 'w'), i);
    tree.makeFolder("closed");
    tree.makeFolder("closed/inside");
    tree.makeFile("closed/secret", 100);
    ::chmod(tree.pathOf("closed").c_str(), 0);
}

TEST(ReadAhead, EveryThreadCountAndBudgetGivesTheSameRecordsInTheSameOrder)
{
    FixtureTree tree(QStringLiteral("/dev/shm"));
    ::chmod(tree.path().c_str(), 0755);
    generateTree(tree, 7);

    for (const bool asRoot : {true, false}) {
        SCOPED_TRACE(asRoot ? "as root or the owner" : "unprivileged");
        const auto compare = [&] {
            PosixFileSystem alone({.threads = 1});
            const auto expected = scanOrder(alone, tree.path());
            bool same = expected.size() > 9000;
            EXPECT_GT(expected.size(), 9000u) << "a tree this small shows too little";
            for (const Reading& reading : Readings) {
                PosixFileSystem fileSystem(reading.reading);
                const bool equal = scanOrder(fileSystem, tree.path()) == expected;
                EXPECT_TRUE(equal) << reading.name;
                same = same && equal;
            }
            return same;
        };
        EXPECT_TRUE(asRoot ? compare() : test::RunUnprivileged(compare) == 0);
    }
    ::chmod(tree.pathOf("closed").c_str(), 0755);
}

// Whichever thread read it, every record tells what lstat tells of its name: read-only, hidden
// and unreadable folders included, as the owner and as somebody else.
TEST(ReadAhead, EveryRecordTellsWhatLstatTells)
{
    FixtureTree tree(QStringLiteral("/dev/shm"));
    ::chmod(tree.path().c_str(), 0755);
    generateTree(tree, 5);
    const std::vector<std::string> readOnly{"ro", "ro/inner", ".hidden-ro"};
    for (const std::string& folder : readOnly)
        tree.makeFolder(folder);
    tree.makeFile("ro/inner/file", 10);
    for (auto it = readOnly.rbegin(); it != readOnly.rend(); ++it)
        ::chmod(tree.pathOf(*it).c_str(), 0555);

    const auto check = [&] {
        bool allTold = true;
        for (const Reading& reading : Readings) {
            SCOPED_TRACE(reading.name);
            PosixFileSystem fileSystem(reading.reading);
            std::vector<std::unique_ptr<FolderListing>> levels;
            std::vector<std::string> paths{tree.path()};
            levels.push_back(fileSystem.openFolder(tree.path()));
            FolderItem item;
            std::size_t records = 0;
            while (!levels.empty()) {
                if (!levels.back()->next(item)) {
                    levels.pop_back();
                    paths.pop_back();
                    continue;
                }
                if (item.name == "." || item.name == "..")
                    continue;
                ++records;
                const std::string path = paths.back() + "/" + std::string(item.name);
                struct stat st;
                if (::lstat(path.c_str(), &st) != 0)
                    return false;
                std::uint32_t attributes = S_ISDIR(st.st_mode) ? Attribute::Directory
                    : S_ISLNK(st.st_mode)                      ? Attribute::ReparsePoint
                                                               : 0;
                if (item.name[0] == '.')
                    attributes |= Attribute::Hidden;
                if (!(st.st_mode & S_IWUSR))
                    attributes |= Attribute::ReadOnly;
                const bool told = item.attributes == (attributes ? attributes : Attribute::Normal)
                    && item.size == st.st_size && item.device == st.st_dev && item.inode == st.st_ino
                    && item.links == st.st_nlink;
                EXPECT_TRUE(told) << path;
                allTold = allTold && told;
                if (item.attributes & Attribute::Directory) {
                    levels.push_back(levels.back()->openItem());
                    paths.push_back(path);
                }
            }
            EXPECT_GT(records, 9000u);
        }
        return allTold;
    };
    EXPECT_TRUE(check());
    EXPECT_EQ(test::RunUnprivileged(check), 0) << "the unreadable folder's record comes from its name";
    for (const std::string& folder : readOnly)
        ::chmod(tree.pathOf(folder).c_str(), 0755);
    ::chmod(tree.pathOf("closed").c_str(), 0755);
}

TEST(ReadAhead, AStopAtAnyPointLeavesNoWorkerAndNoDescriptor)
{
    FixtureTree tree(QStringLiteral("/dev/shm"));
    generateTree(tree, 11);
    PosixFileSystem alone({.threads = 1});
    const auto full = scanOrder(alone, tree.path());
    const std::size_t threadsBefore = test::ThreadsAtRest();
    const std::size_t descriptorsBefore = test::OpenDescriptors();

    for (const std::size_t stopAfter : {0, 1, 2, 50, 777, 3000, 9000, 13000}) {
        for (const Reading& reading : Readings) {
            SCOPED_TRACE(std::string(reading.name) + ", stop after " + std::to_string(stopAfter));
            PosixFileSystem fileSystem(reading.reading);
            std::vector<std::string> partial;
            {
                std::vector<std::unique_ptr<FolderListing>> levels;
                levels.push_back(fileSystem.openFolder(tree.path()));
                FolderItem item;
                while (partial.size() < stopAfter && !levels.empty()) {
                    if (!levels.back()->next(item)) {
                        levels.pop_back();
                        continue;
                    }
                    partial.push_back(std::to_string(levels.size()) + " " + std::string(item.name) + " "
                                      + std::to_string(item.attributes) + " " + std::to_string(item.size));
                    if ((item.attributes & Attribute::Directory) && item.name != "." && item.name != "..")
                        levels.push_back(levels.back()->openItem());
                }
                while (!levels.empty())
                    levels.pop_back();
            }
            ASSERT_TRUE(std::equal(partial.begin(), partial.end(), full.begin()));
            EXPECT_EQ(test::RunningThreadsSettlingAt(threadsBefore), threadsBefore);
            EXPECT_EQ(test::OpenDescriptors(), descriptorsBefore);
        }
    }
}

// Holds the worker that has read the first batch of the folder named `name` until the scan has
// given that folder up, and counts the batches of it read ahead.
class HoldAfterFirstBatch final : public ReadAheadWatcher {
public:
    explicit HoldAfterFirstBatch(std::string name) : m_name(std::move(name)) {}

    void batchRead(const ReadAheadFolder& folder) override
    {
        if (folder.name != m_name || m_batches++ > 0)
            return;
        m_reading.count_down();
        while (!folder.abandoned)
            std::this_thread::yield();
    }
    void workerEnds() override {}

    void waitUntilReading() { m_reading.wait(); }
    int batches() const { return m_batches; }

private:
    const std::string m_name;
    std::latch m_reading{1};
    std::atomic<int> m_batches{0};
};

TEST(ReadAhead, AStopDoesNotWaitForTheWorkersToFinishTheirReading)
{
    // A worker is in the middle of a folder of many batches, within every budget, when the
    // scan stops: it drops the folder after the batch in hand instead of reading on to its end.
    FixtureTree tree(QStringLiteral("/dev/shm"));
    tree.makeFolder("many");
    {
        const int fd = ::open(tree.pathOf("many").c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < 20000; ++i) // about 25 batches
            ::close(::openat(fd, ("file-" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
        ::close(fd);
    }
    const std::size_t threadsBefore = test::ThreadsAtRest();
    const std::size_t descriptorsBefore = test::OpenDescriptors();

    HoldAfterFirstBatch watcher("many");
    {
        PosixFileSystem fileSystem({.threads = 2, .recordBudget = 1 << 20, .watcher = &watcher});
        const auto top = fileSystem.openFolder(tree.path());
        FolderItem item;
        ASSERT_TRUE(top->next(item)) << "the scan lists the top; a worker takes the folder below";
        watcher.waitUntilReading();
    }
    EXPECT_EQ(watcher.batches(), 1);
    EXPECT_EQ(test::RunningThreadsSettlingAt(threadsBefore), threadsBefore);
    EXPECT_EQ(test::OpenDescriptors(), descriptorsBefore);
}

TEST(ReadAhead, StopsInTheMiddleOfTheWorkersReadingLeaveNothingBehind)
{
    // Many scans stopped at once at random points, while the workers are busy in the small
    // folders ahead: whatever a worker was reading or opening when the scan left the folders
    // above it must be dropped, not queued or opened after the folders are freed.
    FixtureTree tree(QStringLiteral("/dev/shm"));
    generateTree(tree, 13);
    PosixFileSystem alone({.threads = 1});
    const auto full = scanOrder(alone, tree.path());
    const std::size_t threadsBefore = test::ThreadsAtRest();
    const std::size_t descriptorsBefore = test::OpenDescriptors();

    std::mt19937 random(17);
    for (int cycle = 0; cycle < 240; ++cycle) {
        const Reading& reading = Readings[cycle % std::size(Readings)];
        const std::size_t stopAfter = random() % 4000;
        SCOPED_TRACE(std::string(reading.name) + ", stop after " + std::to_string(stopAfter));
        PosixFileSystem fileSystem(reading.reading);
        const auto partial = scanOrder(fileSystem, tree.path(), stopAfter);
        ASSERT_TRUE(std::equal(partial.begin(), partial.end(), full.begin()));
        ASSERT_EQ(test::RunningThreadsSettlingAt(threadsBefore), threadsBefore);
        ASSERT_EQ(test::OpenDescriptors(), descriptorsBefore);
    }
}

// A chain of folders with an empty folder beside each level, listed after the chain's next
// level (tmpfs lists the newest first), made and removed one level at a time.
class Comb {
public:
    Comb(const std::string& top, int depth) : m_top(top), m_depth(depth)
    {
        int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < depth && fd >= 0; ++level) {
            ::mkdirat(fd, "e", 0755);
            ::mkdirat(fd, "c", 0755);
            const int next = ::openat(fd, "c", O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
        }
        if (fd >= 0)
            ::close(fd);
    }
    ~Comb()
    {
        int fd = ::open(m_top.c_str(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < m_depth && fd >= 0; ++level) {
            const int next = ::openat(fd, "c", O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
        }
        for (int level = 0; level < m_depth && fd >= 0; ++level) {
            const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = up;
            ::unlinkat(fd, "c", AT_REMOVEDIR);
            ::unlinkat(fd, "e", AT_REMOVEDIR);
        }
        if (fd >= 0)
            ::close(fd);
    }

private:
    std::string m_top;
    int m_depth;
};

TEST(ReadAhead, AHundredThousandDeepCombScansInLinearTimeWithinSmallBudgets)
{
    constexpr int Depth = 100000;
    FixtureTree tree(QStringLiteral("/dev/shm"));
    tree.makeFolder("comb");
    const Comb comb(tree.pathOf("comb"), Depth);
    const std::size_t descriptorsBefore = test::OpenDescriptors();

    for (const FolderReading reading : {FolderReading{.threads = 1, .descriptorBudget = 8},
                                        FolderReading{.threads = 2, .descriptorBudget = 8, .recordBudget = 64}}) {
        SCOPED_TRACE(reading.threads);
        PosixFileSystem fileSystem(reading);
        std::size_t folders = 0;
        std::size_t deepest = 0;
        std::vector<std::unique_ptr<FolderListing>> levels;
        levels.push_back(fileSystem.openFolder(tree.pathOf("comb")));
        FolderItem item;
        while (!levels.empty()) {
            if (!levels.back()->next(item)) {
                levels.pop_back();
                continue;
            }
            if (item.name == "." || item.name == "..")
                continue;
            ++folders;
            levels.push_back(levels.back()->openItem());
            deepest = std::max(deepest, levels.size() - 1);
            if (folders % 997 == 0) {
                ASSERT_LE(test::OpenDescriptors(), descriptorsBefore + 8 + 2) << "at " << folders;
            }
        }
        EXPECT_EQ(folders, 2u * Depth);
        EXPECT_EQ(deepest, static_cast<std::size_t>(Depth));
    }
}

TEST(ReadAhead, TwoHundredThousandFilesInOneFolderStreamWithinTheBudgets)
{
    FixtureTree tree(QStringLiteral("/dev/shm"));
    tree.makeFolder("wide");
    {
        const int fd = ::open(tree.pathOf("wide").c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < 200000; ++i)
            ::close(::openat(fd, ("file-" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
        ::close(fd);
    }
    PosixFileSystem alone({.threads = 1});
    const auto expected = scanOrder(alone, tree.path());
    ASSERT_EQ(expected.size(), 200000u + 5);
    PosixFileSystem fileSystem({.threads = 8, .descriptorBudget = 3, .recordBudget = 100});
    EXPECT_EQ(scanOrder(fileSystem, tree.path()), expected);
}

TEST(ReadAhead, FoldersThatFillTheListingBufferToTheLastByteAreListedWhole)
{
    // Names of 28 bytes take 48 bytes in a listing, "." and ".." 24 each: 681 names fill a
    // 32 KiB batch but for 32 bytes, too few for another name. A listing that takes a batch
    // with room to spare for the last one must not take that batch for the last.
    const std::vector<int> counts = {1, 680, 681, 682, 683, 1363, 1364, 1365};
    for (const QString& base : {QStringLiteral("/dev/shm"), QString()}) {
        SCOPED_TRACE(base.toStdString());
        FixtureTree tree = base.isEmpty() ? FixtureTree() : FixtureTree(base);
        for (const int count : counts) {
            const std::string folder = "n" + std::to_string(count);
            tree.makeFolder(folder);
            const int fd = ::open(tree.pathOf(folder).c_str(), O_RDONLY | O_DIRECTORY);
            for (int i = 0; i < count; ++i) {
                char name[29];
                std::snprintf(name, sizeof name, "f%027d", i);
                ::close(::openat(fd, name, O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
            }
            ::close(fd);
        }
        for (const unsigned threads : {1u, 2u}) {
            SCOPED_TRACE(threads);
            PosixFileSystem fileSystem({.threads = threads});
            std::map<int, int> listed;
            int current = 0;
            for (const std::string& record : scanOrder(fileSystem, tree.path())) {
                if (record.rfind("1 n", 0) == 0)
                    current = std::stoi(record.substr(3));
                else if (record.rfind("2 f", 0) == 0)
                    ++listed[current];
            }
            for (const int count : counts)
                EXPECT_EQ(listed[count], count) << "in a folder of " << count;
        }
    }
}

TEST(ReadAhead, AKernelInterfaceMountedBelowTheFolderIsNotEntered)
{
    // Decided by the file system of the folder itself when it is opened, not by a mount table
    // read before.
    FixtureTree tree;
    tree.makeFolder("a");
    tree.makeFolder("b");
    tree.makeFolder("b/proc");
    tree.makeFile("b/proc/file", 5);
    for (const unsigned threads : {1u, 8u}) {
        SCOPED_TRACE(threads);
        PosixFileSystem fileSystem({.threads = threads});
        if (::mount("proc", tree.pathOf("b/proc").c_str(), "proc", 0, nullptr) != 0)
            GTEST_SKIP() << "mounting is not permitted here";
        auto top = fileSystem.openFolder(tree.path());
        FolderItem item;
        std::vector<std::string> below;
        std::vector<std::unique_ptr<FolderListing>> levels;
        levels.push_back(std::move(top));
        while (!levels.empty()) {
            if (!levels.back()->next(item)) {
                levels.pop_back();
                continue;
            }
            if (levels.size() == 3)
                below.emplace_back(item.name);
            if ((item.attributes & Attribute::Directory) && item.name != "." && item.name != "..")
                levels.push_back(levels.back()->openItem());
        }
        ::umount(tree.pathOf("b/proc").c_str());
        EXPECT_TRUE(below.empty());
    }
}

} // namespace
} // namespace tallyvane

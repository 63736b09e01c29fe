// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/FolderScan.h"
#include "analysis/PreOrderWalk.h"
#include "platform/PosixFileSystem.h"
#include "support/FakeFileSystem.h"
#include "support/FixtureTree.h"
#include "support/TreeOutline.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <map>
#include <stdexcept>

namespace tallyvane {
namespace {

using test::ExpectSizesAddUp;
using test::FakeFileSystem;
using test::file;
using test::FixtureTree;
using test::folder;

// Watches a scan record by record, and presses "Cancel" inside a chosen pump.
class RecordingHost final : public ScanHost {
public:
    int stopAtPump = -1;
    int pumps = 0;
    bool recordsPaths = true;
    std::vector<std::string> foldersEntered;
    std::vector<std::uint32_t> counts;
    std::vector<int> pumpOfEntry; // for each entry added, the pump just before it
    bool finished = false;

    void recordFetched() override
    {
        if (++pumps == stopAtPump)
            m_stop = true;
    }
    bool stopRequested() const override { return m_stop; }
    void folderEntered(const EntryTree& tree, EntryId folder) override
    {
        if (recordsPaths)
            foldersEntered.push_back(tree.EntryPath(folder));
    }
    void entryCounted(std::uint32_t scanCount) override
    {
        counts.push_back(scanCount);
        pumpOfEntry.push_back(pumps);
    }
    void scanFinished() override { finished = true; }

private:
    bool m_stop = false;
};

// Every entry in pre-order as "path size".
std::vector<std::string> listing(const EntryTree& tree)
{
    std::vector<std::string> lines;
    for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next())
        lines.push_back(tree.EntryPath(walk.entry()) + " " + std::to_string(tree.size(walk.entry())));
    return lines;
}

FakeFileSystem sampleFileSystem()
{
    FakeFileSystem system;
    system.addFolder("/r/", {file("a.txt", 10), folder("sub"), file("b", 3), folder("empty")});
    system.addFolder("/r/sub/", {file("x", 5), folder("deeper"), file("z", 1)});
    system.addFolder("/r/sub/deeper/", {file("y", 7)});
    system.addFolder("/r/empty/", {});
    return system;
}

TEST(FolderScan, WalksDepthFirstInListingOrderAndSumsOnTheWayBack)
{
    FakeFileSystem system = sampleFileSystem();
    EntryTree tree;
    RecordingHost host;
    FolderScanner scanner(tree, system, host);

    EXPECT_EQ(scanner.ScanFolder("/r/", NoEntry), 26);

    const std::vector<std::string> expected{
        "/r/ 26",      "/r/a.txt/ 10", "/r/sub/ 13",  "/r/sub/x/ 5", "/r/sub/deeper/ 7", "/r/sub/deeper/y/ 7",
        "/r/sub/z/ 1", "/r/b/ 3",      "/r/empty/ 0",
    };
    EXPECT_EQ(listing(tree), expected);
    EXPECT_EQ(tree.name(tree.FirstEntry()), "/r");
    EXPECT_EQ(scanner.ScanCount(), 8u);
    EXPECT_EQ(scanner.ScanCount(), tree.EntryCount() - 1);
    EXPECT_EQ(host.foldersEntered, (std::vector<std::string>{"/r/", "/r/sub/", "/r/sub/deeper/", "/r/empty/"}));
    EXPECT_EQ(host.counts, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(host.finished);
    EXPECT_EQ(system.openListings(), 0);
}

TEST(FolderScan, TotalsPastTheLargestSizeStayThere)
{
    // Sparse files may claim up to 2^63 - 1 bytes each, so two of them already overflow.
    constexpr std::int64_t Largest = std::numeric_limits<std::int64_t>::max();
    FakeFileSystem system;
    system.addFolder("/r/", {file("a", Largest), folder("sub"), file("b", 1)});
    system.addFolder("/r/sub/", {file("x", Largest - 1), file("y", Largest), file("z", 7)});
    EntryTree tree;
    RecordingHost host;
    FolderScanner scanner(tree, system, host);

    EXPECT_EQ(scanner.ScanFolder("/r/", NoEntry), Largest);

    const std::string largest = std::to_string(Largest);
    EXPECT_EQ(listing(tree),
              (std::vector<std::string>{"/r/ " + largest, "/r/a/ " + largest, "/r/sub/ " + largest,
                                        "/r/sub/x/ " + std::to_string(Largest - 1), "/r/sub/y/ " + largest,
                                        "/r/sub/z/ 7", "/r/b/ 1"}));
}

TEST(FolderScan, CountsEveryEntryAndPumpsForEveryRecord)
{
    FakeFileSystem system;
    std::vector<FakeFileSystem::Item> files;
    for (int i = 0; i < 10; ++i)
        files.push_back(file(std::string("f").append(std::to_string(i)), i));
    system.addFolder("/ten/", files);
    EntryTree tree;
    RecordingHost host;
    FolderScanner(tree, system, host).ScanFolder("/ten/", NoEntry);

    EXPECT_EQ(host.counts, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(host.pumps, 12) << "ten files and \".\" and \"..\"";
}

TEST(FolderScan, AStopAtAnyRecordLeavesAConsistentPrefixOfTheTree)
{
    FakeFileSystem system = sampleFileSystem();
    EntryTree full;
    RecordingHost complete;
    FolderScanner(full, system, complete).ScanFolder("/r/", NoEntry);
    const std::vector<std::string> fullPaths = [&] {
        std::vector<std::string> paths;
        for (PreOrderWalk walk(full); !walk.atEnd(); walk.next())
            paths.push_back(full.EntryPath(walk.entry()));
        return paths;
    }();

    for (int stopAt = 1; stopAt <= complete.pumps; ++stopAt) {
        SCOPED_TRACE("stop in pump " + std::to_string(stopAt));
        EntryTree tree;
        RecordingHost host;
        host.stopAtPump = stopAt;
        FolderScanner scanner(tree, system, host);
        const std::int64_t total = scanner.ScanFolder("/r/", NoEntry);

        // Exactly the entries whose records were fetched before the pump that stopped.
        const auto before = std::count_if(complete.pumpOfEntry.begin(), complete.pumpOfEntry.end(),
                                          [&](int pump) { return pump < stopAt; });
        ASSERT_EQ(scanner.ScanCount(), static_cast<std::uint32_t>(before));
        ASSERT_EQ(tree.EntryCount(), scanner.ScanCount() + 1);
        std::vector<std::string> paths;
        for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next())
            paths.push_back(tree.EntryPath(walk.entry()));
        EXPECT_TRUE(std::equal(paths.begin(), paths.end(), fullPaths.begin()));
        ExpectSizesAddUp(tree);
        EXPECT_EQ(tree.size(tree.FirstEntry()), total);
        EXPECT_EQ(system.openListings(), 0);
    }
}

TEST(FolderScan, AFailureLeavesEveryLevelAndClosesItsListing)
{
    FakeFileSystem system = sampleFileSystem();
    system.beforeRecord = [](const std::string& path, const std::string& name) {
        if (path == "/r/sub/deeper/" && name == "y")
            throw std::bad_alloc();
    };
    EntryTree tree;
    RecordingHost host;
    EXPECT_THROW(FolderScanner(tree, system, host).ScanFolder("/r/", NoEntry), std::bad_alloc);
    EXPECT_EQ(system.mostOpenListings(), 3);
    EXPECT_EQ(system.openListings(), 0);
}

TEST(FolderScan, RootNamesDropOnlyTheTrailingSeparator)
{
    FakeFileSystem system;
    system.addFolder("/", {});
    system.addFolder("/home/ann/", {});
    for (const auto& [path, name] : {std::pair{"/", "/"}, {"/home/ann/", "/home/ann"}}) {
        EntryTree tree;
        RecordingHost host;
        FolderScanner scanner(tree, system, host);
        EXPECT_EQ(scanner.ScanFolder(path, NoEntry), 0);
        EXPECT_EQ(tree.EntryCount(), 1u);
        EXPECT_EQ(tree.name(tree.FirstEntry()), name);
        EXPECT_EQ(tree.EntryPath(tree.FirstEntry()), path);
        EXPECT_EQ(tree.attributes(tree.FirstEntry()), Attribute::Directory);
        EXPECT_EQ(scanner.ScanCount(), 0u);
    }
}

TEST(FolderScan, ScanningBelowAGivenParentLeavesItsSizeToTheCaller)
{
    FakeFileSystem system = sampleFileSystem();
    EntryTree tree;
    const EntryId parent = tree.addEntry(NoEntry, Attribute::Directory, 99, "/r");
    RecordingHost host;
    EXPECT_EQ(FolderScanner(tree, system, host).ScanFolder("/r/sub/", parent), 13);
    EXPECT_EQ(tree.size(parent), 99);
    EXPECT_EQ(tree.childCount(parent), 3u);
}

TEST(FolderScan, RealTreeWithLinksHiddenAndSparseFiles)
{
    FixtureTree fixture;
    fixture.makeFolder("docs");
    fixture.makeFile("docs/.hidden", 100);
    fixture.makeFile("docs/a.txt", 1234);
    fixture.makeFolder("docs/empty");
    fixture.makeFolder("docs/only-empties");
    fixture.makeFolder("docs/only-empties/e1");
    fixture.makeFile("disk.img", 5LL << 30);
    fixture.makeSymlink("file-link", "docs/a.txt");
    fixture.makeSymlink("folder-link", "docs");
    fixture.makeSymlink("docs/up", "..");

    EntryTree tree;
    RecordingHost host;
    PosixFileSystem system;
    FolderScanner scanner(tree, system, host);
    const std::int64_t total = scanner.ScanFolder(fixture.path() + "/", NoEntry);

    const std::int64_t links = std::string("docs/a.txt").size() + std::string("docs").size() + 2;
    EXPECT_EQ(total, 100 + 1234 + (5LL << 30) + links);
    EXPECT_EQ(scanner.ScanCount(), 10u);
    ExpectSizesAddUp(tree);

    std::map<std::string, std::pair<std::uint32_t, std::int64_t>> entries;
    for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next())
        entries[tree.EntryPath(walk.entry()).substr(fixture.path().size())] = {tree.attributes(walk.entry()),
                                                                               tree.size(walk.entry())};
    using namespace Attribute;
    EXPECT_EQ(entries["/disk.img/"], std::pair(Normal, std::int64_t{5368709120}));
    EXPECT_EQ(entries["/docs/"], std::pair(Directory, std::int64_t{100 + 1234 + 2}));
    EXPECT_EQ(entries["/docs/.hidden/"], std::pair(Hidden, std::int64_t{100}));
    EXPECT_EQ(entries["/docs/only-empties/"], std::pair(Directory, std::int64_t{0}));
    EXPECT_EQ(entries["/folder-link/"], std::pair(ReparsePoint, std::int64_t{4}));
    EXPECT_EQ(entries["/docs/up/"], std::pair(ReparsePoint, std::int64_t{2}));
    EXPECT_EQ(entries.size(), 11u);
}

TEST(FolderScan, FoldersThatFailToOpenAreKeptMarkedAndTheScanGoesOn)
{
    FakeFileSystem system;
    system.addFolder("/data/",
                     {test::file("a", 5), test::folder("full"), test::folder("kept"), test::folder("locked")});
    system.addFolder("/data/kept/", {test::file("b", 7), test::folder("deeper")});
    system.addFolder("/data/kept/deeper/", {test::file("c", 11)});
    system.openErrors = {{"/data/full/", EMFILE}, {"/data/locked/", EACCES}};

    EntryTree tree;
    RecordingHost host;
    FolderScanner scanner(tree, system, host);
    EXPECT_EQ(scanner.ScanFolder("/data/", NoEntry), 5 + 7 + 11);
    EXPECT_EQ(scanner.ScanCount(), 7u);
    std::map<std::string, std::uint32_t> marks;
    for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next())
        marks[tree.EntryPath(walk.entry())] = tree.attributes(walk.entry()) & Attribute::ScanMarks;
    EXPECT_EQ(marks.size(), 8u);
    EXPECT_EQ(marks["/data/full/"], Attribute::Unreadable);
    EXPECT_EQ(marks["/data/locked/"], Attribute::Unreadable);
    EXPECT_EQ(marks["/data/kept/deeper/"], 0u);
    EXPECT_EQ(scanner.unreadableFolders().count, 2u);
    EXPECT_EQ(scanner.unreadableFolders().firstPath, "/data/full/");
    EXPECT_EQ(scanner.unreadableFolders().firstError, EMFILE);
    ExpectSizesAddUp(tree);
}

TEST(FolderScan, AnUnreadableFolderIsKeptEmptyAndMarked)
{
    FixtureTree fixture;
    ::chmod(fixture.path().c_str(), 0755);
    fixture.makeFolder("closed");
    fixture.makeFile("closed/secret", 100);
    fixture.makeFile("open", 5);
    ::chmod(fixture.pathOf("closed").c_str(), 0);

    // Root reads past permission bits: scan as nobody, and report through the exit status.
    const pid_t child = ::fork();
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        EntryTree tree;
        RecordingHost host;
        PosixFileSystem system;
        FolderScanner scanner(tree, system, host);
        const std::int64_t total = scanner.ScanFolder(fixture.path() + "/", NoEntry);
        const std::vector<std::string> expected{fixture.path() + "/ 5", fixture.path() + "/closed/ 0",
                                                fixture.path() + "/open/ 5"};
        std::vector<std::string> lines = listing(tree);
        std::sort(lines.begin() + 1, lines.end());
        std::uint32_t marked = 0;
        for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next())
            marked += (tree.attributes(walk.entry()) & Attribute::Unreadable) != 0;
        const UnreadableFolders& unreadable = scanner.unreadableFolders();
        const bool told = unreadable.count == 1 && unreadable.firstPath == fixture.pathOf("closed") + "/"
            && unreadable.firstError == EACCES;
        ::_exit(total == 5 && lines == expected && marked == 1 && told ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    ::chmod(fixture.pathOf("closed").c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(FolderScan, AHundredThousandNestedFoldersScanToTheEnd)
{
    constexpr int Depth = 100000;
    FixtureTree fixture(QStringLiteral("/dev/shm"));
    fixture.makeFolder("deep");
    fixture.makeChain("deep", "d", Depth);

    EntryTree tree;
    RecordingHost host;
    host.recordsPaths = false;
    PosixFileSystem system;
    FolderScanner scanner(tree, system, host);
    EXPECT_EQ(scanner.ScanFolder(fixture.pathOf("deep") + "/", NoEntry), 0);
    EXPECT_EQ(scanner.ScanCount(), static_cast<std::uint32_t>(Depth));

    int deepest = 0;
    for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next())
        deepest = std::max(deepest, walk.level());
    EXPECT_EQ(deepest, Depth);
}

} // namespace
} // namespace tallyvane

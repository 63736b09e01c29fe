// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/AnalysisRun.h"
#include "analysis/AnalysisThread.h"

#include "support/FakeFileSystem.h"
#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <new>
#include <optional>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

namespace tallyvane {
namespace {

using test::FakeFileSystem;

std::vector<std::string> childNames(const EntryTree& tree, EntryId folder)
{
    std::vector<std::string> names;
    for (EntryId e = tree.FirstChildEntry(folder); e != NoEntry; e = tree.NextSiblingEntry(e))
        names.emplace_back(tree.name(e));
    return names;
}

class AnalysisRunTest : public ::testing::Test {
protected:
    AnalysisRunTest()
    {
        fileSystem.addFolder("/data/", {test::file("small", 1), test::folder("sub"), test::file("big", 50)});
        fileSystem.addFolder("/data/sub/", {test::file("a", 10), test::file("b", 20)});
    }

    static RunRequest scanOf(std::string path)
    {
        RunRequest request;
        request.path = std::move(path);
        return request;
    }

    FakeFileSystem fileSystem;
    AnalysisRun run{fileSystem};
};

TEST_F(AnalysisRunTest, AScanFillsATreeOfItsOwnSortedInTheOrderAskedFor)
{
    const RunResult bySize = run.run(scanOf("/data"));
    ASSERT_EQ(bySize.outcome, ScanOutcome::Complete);
    const EntryTree& tree = *bySize.tree;
    const EntryId root = tree.FirstEntry();
    EXPECT_EQ(tree.name(root), "/data");
    EXPECT_EQ(tree.size(root), 81);
    EXPECT_EQ(childNames(tree, root), (std::vector<std::string>{"big", "sub", "small"})) << "largest first";
    EXPECT_FALSE(bySize.importedScan);
    // The scan's end leaves its last word for whoever asks next.
    const RunProgress last = run.progress();
    EXPECT_EQ(last.entries, 5u);
    EXPECT_FALSE(last.estimate);

    RunRequest byName = scanOf("/data/");
    byName.sortKey = SortKey::Name;
    byName.sortDirection = SortDirection::Ascending;
    AnalysisRun second(fileSystem);
    const RunResult named = second.run(byName);
    EXPECT_EQ(childNames(*named.tree, named.tree->FirstEntry()), (std::vector<std::string>{"big", "small", "sub"}));
    EXPECT_EQ(named.tree->name(named.tree->FirstEntry()), "/data") << "no separator kept on the root's name";
}

TEST_F(AnalysisRunTest, APathThatNamesNoFolderScansNothing)
{
    for (const char* path : {"", "/missing", "/data/small"}) {
        SCOPED_TRACE(path);
        AnalysisRun missing(fileSystem);
        const RunResult result = missing.run(scanOf(path));
        EXPECT_EQ(result.outcome, ScanOutcome::NotAFolder);
        EXPECT_EQ(result.tree->EntryCount(), 0u);
    }
}

TEST_F(AnalysisRunTest, AStopEndsTheScanAtTheNextRecordWithTheSizesAddingUp)
{
    fileSystem.beforeRecord = [this](const std::string&, const std::string& name) {
        if (name == "b")
            run.stop();
    };
    const RunResult result = run.run(scanOf("/data"));
    EXPECT_EQ(result.outcome, ScanOutcome::Cancelled);
    const EntryTree& tree = *result.tree;
    const EntryId root = tree.FirstEntry();
    EXPECT_EQ(childNames(tree, root), (std::vector<std::string>{"sub", "small"})) << "big was never reached";
    EXPECT_EQ(tree.size(root), 11) << "small and a: what was found";

    // A stop asked for before the run begins is not lost.
    AnalysisRun stoppedEarly(fileSystem);
    stoppedEarly.stop();
    fileSystem.beforeRecord = nullptr;
    const RunResult early = stoppedEarly.run(scanOf("/data"));
    EXPECT_EQ(early.outcome, ScanOutcome::Cancelled);
    EXPECT_EQ(early.tree->EntryCount(), 1u) << "only the root";
}

TEST_F(AnalysisRunTest, RunningOutOfMemoryOrRoomFailsTheRunWithAnEmptyTree)
{
    const struct {
        const char* failure;
        bool throwAtA;     // an allocation fails as record "a" is read
        int roomForChecks; // the room-left checks that still find room
    } cases[] = {{"allocation", true, 1000}, {"no room at the first record", false, 0}, {"no room later", false, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failure);
        AnalysisRun failing(fileSystem);
        fileSystem.beforeRecord = [&](const std::string&, const std::string& name) {
            if (c.throwAtA && name == "a")
                throw std::bad_alloc();
        };
        RunRequest request = scanOf("/data");
        int checks = 0;
        request.roomLeft = [&] { return checks++ < c.roomForChecks; };
        // A check at the first record, then one per RoomCheckInterval records: the second one
        // only comes in a tree larger than this one, so give "later" a larger tree.
        if (c.roomForChecks == 1) {
            std::vector<FakeFileSystem::Item> many;
            for (int i = 0; i < 5000; ++i)
                many.push_back(test::file("f" + std::to_string(i), 1));
            fileSystem.addFolder("/data/sub/", many);
        }
        const RunResult result = failing.run(request);
        EXPECT_EQ(result.outcome, ScanOutcome::Failed);
        EXPECT_EQ(result.error, "out of memory");
        ASSERT_TRUE(result.tree);
        EXPECT_EQ(result.tree->EntryCount(), 0u) << "never a partial tree shown as the scan";
        EXPECT_GE(checks, 1);
    }
}

// A clock the test moves by hand.
class SyntheticClock final : public ScanClock {
public:
    double now = 1000;
    double seconds() const override { return now; }
};

TEST_F(AnalysisRunTest, ProgressIsASnapshotTakenAtTheRecordAfterItWasAskedFor)
{
    struct Case {
        FolderVolume volume;
        bool estimated;
    };
    const Case cases[] = {
        {{1, true, 8}, true},   // about twice the five entries
        {{1, false, 8}, false}, // a folder inside a file system
        {{1, true, 0}, false},  // a file system that does not count (btrfs)
    };
    for (const Case& c : cases) {
        fileSystem.volume = c.volume;
        SyntheticClock clock;
        AnalysisRun watched(fileSystem, &clock);
        std::vector<RunProgress> seen;
        fileSystem.beforeRecord = [&](const std::string&, const std::string&) {
            clock.now += 1; // a second per record
            seen.push_back(watched.progress());
        };
        watched.run(scanOf("/data"));
        // Five entries and the two dot records of each folder; each look sees what the record
        // before it left.
        ASSERT_EQ(seen.size(), 9u);
        EXPECT_EQ(seen[0].entries, 0u);
        EXPECT_EQ(seen[0].folder, "");
        EXPECT_EQ(seen[5].folder, "/data/sub/");
        EXPECT_EQ(seen[5].entries, 2u) << "small and sub; a record counts after its look";
        if (c.estimated) {
            // Eight seconds in, three of eight counted, all of them in the last five seconds.
            ASSERT_TRUE(seen[8].estimate);
            EXPECT_EQ(seen[8].estimate->percent, 37);
            EXPECT_EQ(seen[8].estimate->secondsLeft, 9); // five to go at 3 in 5 seconds
        } else {
            EXPECT_TRUE(std::none_of(seen.begin(), seen.end(), [](const RunProgress& p) { return p.estimate; }));
        }
        EXPECT_FALSE(watched.progress().estimate) << "the scan is over";
    }
}

TEST_F(AnalysisRunTest, ScanOptionsReachTheScan)
{
    RunRequest request = scanOf("/data");
    request.options = {.exclude = {"sub"}};
    const RunResult excluded = run.run(request);
    const EntryTree& tree = *excluded.tree;
    const EntryId sub = tree.childAt(tree.FirstEntry(), 2); // the smallest now
    ASSERT_EQ(tree.name(sub), "sub");
    EXPECT_TRUE(tree.attributes(sub) & Attribute::Excluded);
    EXPECT_EQ(tree.size(tree.FirstEntry()), 51);
}

TEST(AnalysisRunImport, AnExportIsReadInPlaceOfAScanAndABadOneLeavesNothing)
{
    test::FixtureTree files;
    const std::string good = files.pathOf("good.json");
    const std::string bad = files.pathOf("bad.json");
    std::ofstream(good) << "[1,2,{\"progname\":\"ncdu\"},[{\"name\":\"/srv\"},{\"name\":\"a\",\"asize\":1},"
                           "{\"name\":\"b\",\"asize\":5}]]";
    std::ofstream(bad) << "[1,2,{},[{\"name\":\"/srv\"},{\"name\":\"a\",\"asize\":1}";
    FakeFileSystem unused;

    RunRequest request;
    request.source = RunRequest::Source::Import;
    request.path = good;
    const RunResult read = AnalysisRun(unused).run(request);
    ASSERT_EQ(read.outcome, ScanOutcome::Complete);
    ASSERT_TRUE(read.importedScan);
    EXPECT_EQ(read.importedScan->programName, "ncdu");
    EXPECT_EQ(childNames(*read.tree, read.tree->FirstEntry()), (std::vector<std::string>{"b", "a"}));

    request.path = bad;
    const RunResult failed = AnalysisRun(unused).run(request);
    EXPECT_EQ(failed.outcome, ScanOutcome::Failed);
    EXPECT_NE(failed.error.find("byte 47"), std::string::npos) << failed.error;
    EXPECT_FALSE(failed.importedScan);
    EXPECT_EQ(failed.tree->EntryCount(), 0u);
}

TEST(AnalysisThreadTest, TheOwnerWatchesAndStopsARunOnAnotherThreadAndGetsItsResultOnce)
{
    FakeFileSystem fileSystem;
    fileSystem.addFolder("/data/", {test::folder("sub"), test::file("x", 1)});
    fileSystem.addFolder("/data/sub/", {test::file("a", 10), test::file("b", 20), test::file("c", 30)});
    std::binary_semaphore reached(0);
    std::binary_semaphore proceed(0);
    std::thread::id scanThread;
    fileSystem.beforeRecord = [&](const std::string&, const std::string& name) {
        scanThread = std::this_thread::get_id();
        if (name == "a" || name == "b") {
            reached.release();
            proceed.acquire();
        }
    };

    std::binary_semaphore finished(0);
    std::optional<RunResult> result;
    int deliveries = 0;
    AnalysisThread thread(fileSystem);
    RunRequest request;
    request.path = "/data";
    ASSERT_TRUE(thread.start(request, [&](RunResult handed) {
        result = std::move(handed);
        ++deliveries;
        finished.release();
    }));
    EXPECT_TRUE(thread.isRunning());
    EXPECT_FALSE(thread.start(request, [](RunResult) {})) << "one run at a time";

    reached.acquire(); // the scan waits at record a
    thread.progress(); // asks for a snapshot, taken once the scan goes on
    proceed.release();
    reached.acquire(); // at record b: a was counted and the snapshot taken after it
    const RunProgress seen = thread.progress();
    EXPECT_EQ(seen.folder, "/data/sub/");
    EXPECT_EQ(seen.entries, 1u) << "sub; a counts once it is added, after its record's look";
    thread.stop();
    proceed.release();
    finished.acquire();
    thread.reap();

    EXPECT_NE(scanThread, std::this_thread::get_id());
    EXPECT_FALSE(thread.isRunning());
    ASSERT_TRUE(result);
    EXPECT_EQ(deliveries, 1);
    EXPECT_EQ(result->outcome, ScanOutcome::Cancelled);
    EXPECT_EQ(result->tree->size(result->tree->FirstEntry()), 10);
}

TEST(AnalysisThreadTest, DestroyingTheThreadWaitsForTheRunToHandOverItsResult)
{
    FakeFileSystem fileSystem;
    fileSystem.addFolder("/data/", {test::file("a", 1), test::file("b", 2)});
    std::binary_semaphore reached(0);
    fileSystem.beforeRecord = [&](const std::string&, const std::string& name) {
        if (name == "a")
            reached.release();
    };
    bool delivered = false;
    {
        AnalysisThread thread(fileSystem);
        RunRequest request;
        request.path = "/data";
        thread.start(request, [&](RunResult) { delivered = true; });
        reached.acquire();
    }
    EXPECT_TRUE(delivered) << "the thread was joined, not left running";
}

TEST(AnalysisThreadTest, ABackgroundRunYieldsToTheProgramsOtherThreads)
{
    const int own = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
    for (const auto priority : {AnalysisThread::Priority::Foreground, AnalysisThread::Priority::Background}) {
        FakeFileSystem fileSystem;
        fileSystem.addFolder("/data/", {test::file("a", 1)});
        int seen = 0;
        fileSystem.beforeRecord = [&](const std::string&, const std::string&) {
            seen = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
        };
        std::binary_semaphore finished(0);
        AnalysisThread thread(fileSystem, priority);
        RunRequest request;
        request.path = "/data";
        thread.start(request, [&](RunResult) { finished.release(); });
        finished.acquire();
        thread.reap();
        if (priority == AnalysisThread::Priority::Foreground)
            EXPECT_EQ(seen, own);
        else
            EXPECT_EQ(seen, std::min(own + 10, 19));
    }
    EXPECT_EQ(::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())), own) << "the owner's thread keeps its own";
}

} // namespace
} // namespace tallyvane

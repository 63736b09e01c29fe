// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/AnalysisRun.h"

#include "support/FakeFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <new>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

using test::FakeFileSystem;

// Records what the run shows, as one line per call, and runs a test's action inside a pump.
class RecordingDisplay final : public AnalysisDisplay {
public:
    void showMessage(RunMessage message, const std::string& path) override
    {
        static const char* const names[] = {"Busy", "SelectFolder", "OpenError", "ScanError"};
        log.push_back(std::string("message ") + names[static_cast<int>(message)] + " " + path);
    }
    void pumpMessages(AnalysisRun& run) override
    {
        ++pumps;
        if (onPump)
            onPump(run);
    }
    void showScanFinished(AnalysisRun& run) override { log.push_back("finished " + std::to_string(run.ScanCount)); }
    bool confirmExit() override
    {
        log.push_back("confirm");
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.pop_front();
        return yes;
    }
    void showRunStarted() override
    {
        log.push_back("started");
        if (onStarted)
            onStarted();
    }
    void showVolume(const std::string& path) override
    {
        log.push_back("volume " + path);
        if (onVolume)
            onVolume();
    }
    void showTreeEmptying() override
    {
        log.push_back("emptying");
        if (onEmptying)
            onEmptying();
    }
    void showTreeFilled(EntryId root) override { log.push_back(root == NoEntry ? "filled none" : "filled"); }
    void showRunOutcome(bool cancelled) override { log.push_back(cancelled ? "cancelled" : "done"); }
    void showStopped() override { log.push_back("stopped"); }
    void showElapsed(std::int32_t seconds) override { log.push_back("elapsed " + std::to_string(seconds)); }
    void showRunEnded(bool closeNow) override { log.push_back(closeNow ? "ended, close" : "ended"); }

    std::vector<std::string> log;
    int pumps = 0;
    std::function<void(AnalysisRun&)> onPump;
    std::function<void()> onStarted;
    std::function<void()> onEmptying;
    std::function<void()> onVolume;
    std::deque<bool> answers;
};

class AnalysisRunTest : public ::testing::Test {
protected:
    AnalysisRunTest()
    {
        fileSystem.addFolder("/data/", {test::file("small", 1), test::folder("sub"), test::file("big", 50)});
        fileSystem.addFolder("/data/sub/", {test::file("a", 10), test::file("b", 20)});
    }

    std::vector<std::string> childNames(EntryId folder) const
    {
        std::vector<std::string> names;
        for (EntryId e = tree.FirstChildEntry(folder); e != NoEntry; e = tree.NextSiblingEntry(e))
            names.emplace_back(tree.name(e));
        return names;
    }

    FakeFileSystem fileSystem;
    RecordingDisplay display;
    EntryTree tree;
    AnalysisRun run{tree, fileSystem, display};
};

TEST_F(AnalysisRunTest, ARunShowsEachStepInOrderAndSortsTheTree)
{
    run.CurPath = "/data";
    run.start();
    EXPECT_EQ(display.log, (std::vector<std::string>{"started", "volume /data", "emptying", "finished 5", "filled",
                                                     "done", "stopped", "ended"}));
    EXPECT_GT(display.pumps, 0);
    EXPECT_FALSE(run.isBusy());
    EXPECT_EQ(run.StopFlag, 1) << "every run ends at rest";
    EXPECT_EQ(run.ScanCount, 5);
    const EntryId root = tree.FirstEntry();
    EXPECT_EQ(tree.name(root), "/data");
    EXPECT_EQ(tree.size(root), 81);
    EXPECT_EQ(childNames(root), (std::vector<std::string>{"big", "sub", "small"})) << "largest first";

    // The order the grid asks for holds for the next run.
    run.setSortOrder(SortKey::Name, SortDirection::Ascending);
    run.start();
    EXPECT_EQ(childNames(tree.FirstEntry()), (std::vector<std::string>{"big", "small", "sub"}));
    EXPECT_EQ(tree.EntryCount(), 6u) << "the old tree is gone";
}

TEST_F(AnalysisRunTest, RefusalsLeaveEverythingAsItWas)
{
    run.start();
    EXPECT_EQ(display.log, (std::vector<std::string>{"message SelectFolder "}));

    display.log.clear();
    run.CurPath = "/missing";
    run.start();
    EXPECT_EQ(display.log, (std::vector<std::string>{"started", "volume /missing", "message OpenError /missing", "done",
                                                     "stopped", "ended"}));
    EXPECT_FALSE(run.isBusy());

    // A second run never starts inside the pump of a running one.
    run.CurPath = "/data";
    display.onPump = [this](AnalysisRun& running) {
        EXPECT_TRUE(running.isBusy());
        running.CurPath = "/data/sub";
        running.start();
        EXPECT_TRUE(running.refuseWhileBusy());
        display.onPump = nullptr;
    };
    display.log.clear();
    run.start();
    EXPECT_EQ(std::count(display.log.begin(), display.log.end(), "message Busy "), 2);
    EXPECT_EQ(std::count(display.log.begin(), display.log.end(), "started"), 1);
    EXPECT_EQ(tree.name(tree.FirstEntry()), "/data") << "the running scan went on undisturbed";
    EXPECT_EQ(tree.EntryCount(), 6u);
}

TEST_F(AnalysisRunTest, ACancelStopsAtTheNextRecordAndKeepsTheSizesAddingUp)
{
    run.CurPath = "/data";
    fileSystem.beforeRecord = [this](const std::string&, const std::string& name) {
        if (name == "b")
            run.cancel();
    };
    run.start();
    EXPECT_NE(std::find(display.log.begin(), display.log.end(), "cancelled"), display.log.end());
    const EntryId root = tree.FirstEntry();
    EXPECT_EQ(childNames(root), (std::vector<std::string>{"sub", "small"})) << "big was never reached";
    EXPECT_EQ(tree.size(root), 11) << "small and a: what was found";
    EXPECT_FALSE(run.isBusy());
}

TEST_F(AnalysisRunTest, ACancelHandledAsTheRunStartsIsNotLost)
{
    run.CurPath = "/data";
    display.onStarted = [this] { run.cancel(); };
    run.start();
    EXPECT_NE(std::find(display.log.begin(), display.log.end(), "cancelled"), display.log.end());
    EXPECT_EQ(tree.EntryCount(), 1u) << "only the root: the scan stopped at its first record";
}

TEST_F(AnalysisRunTest, AFailedScanDropsWhatWasFoundAndTheRunGoesOn)
{
    const auto outOfMemory = [] { throw std::bad_alloc(); };
    const struct {
        const char* failure;
        bool whileReading;   // memory runs out as record "a" is read
        bool whileEmptying;  // the display finds no room for the tree to come
    } cases[] = {{"reading", true, false}, {"emptying", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failure);
        run.CurPath = "/data/";
        display.onEmptying = nullptr;
        fileSystem.beforeRecord = nullptr;
        run.start();
        ASSERT_GT(tree.EntryCount(), 0u) << "a tree from an earlier run";

        display.log.clear();
        fileSystem.beforeRecord = [&](const std::string&, const std::string& name) {
            if (c.whileReading && name == "a")
                outOfMemory();
        };
        if (c.whileEmptying)
            display.onEmptying = outOfMemory;
        run.start();
        EXPECT_EQ(display.log, (std::vector<std::string>{"started", "volume /data/", "emptying",
                                                         "message ScanError /data/", "filled none", "done", "stopped",
                                                         "ended"}));
        EXPECT_EQ(tree.EntryCount(), 0u);
        run.StopFlag = 0;
        EXPECT_EQ(run.AnalyzeFolder("/data"), ScanOutcome::Failed);
        EXPECT_FALSE(run.isBusy());
    }
}

TEST_F(AnalysisRunTest, WithoutRoomToBeginTheRunEndsBeforeItTouchesTheTree)
{
    run.CurPath = "/data/";
    run.start();
    const std::size_t entries = tree.EntryCount();
    ASSERT_GT(entries, 0u);

    display.log.clear();
    display.onVolume = [] { throw std::bad_alloc(); };
    run.start();
    EXPECT_EQ(display.log, (std::vector<std::string>{"started", "volume /data/", "message ScanError /data/", "done",
                                                     "stopped", "ended"}));
    EXPECT_EQ(tree.EntryCount(), entries);
    EXPECT_FALSE(run.isBusy());
}

TEST_F(AnalysisRunTest, ClosingAsksWhenAtRestAndWaitsForACancelledScanToWindDown)
{
    display.answers = {false, true};
    EXPECT_FALSE(run.closeQuery());
    EXPECT_TRUE(run.closeQuery());
    EXPECT_EQ(display.log, (std::vector<std::string>{"confirm", "confirm"}));

    run.CurPath = "/data";
    display.onPump = [this](AnalysisRun& running) {
        display.onPump = nullptr;
        EXPECT_FALSE(running.closeQuery()) << "a scan going on must be cancelled first";
        running.cancel();
        display.answers = {true};
        EXPECT_FALSE(running.closeQuery()) << "the scan still winds down";
    };
    display.log.clear();
    run.start();
    EXPECT_EQ(display.log.front(), "started");
    EXPECT_NE(std::find(display.log.begin(), display.log.end(), "message Busy "), display.log.end());
    EXPECT_EQ(display.log.back(), "ended, close");
}

TEST_F(AnalysisRunTest, EachTickAddsASecond)
{
    run.TimeCount = 59;
    run.tick();
    EXPECT_EQ(run.TimeCount, 60);
    EXPECT_EQ(display.log, (std::vector<std::string>{"elapsed 60"}));
}

// A clock the test moves by hand.
class SyntheticClock final : public ScanClock {
public:
    double now = 1000;
    double seconds() const override { return now; }
};

TEST_F(AnalysisRunTest, ProgressOnlyForTheTopOfAFileSystemThatCountsItsFiles)
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
        run.setClock(clock);
        std::vector<std::optional<ScanProgress>> seen;
        display.onPump = [&](AnalysisRun& r) {
            clock.now += 1; // a second per record
            seen.push_back(r.progress());
        };
        run.AnalyzeFolder("/data");
        ASSERT_EQ(seen.size(), 9u); // five entries and the two dot records of each folder
        EXPECT_FALSE(seen[0]);
        if (c.estimated) {
            // Eight seconds in, three of eight counted, all of them in the last five seconds.
            ASSERT_TRUE(seen[7]);
            EXPECT_EQ(seen[7]->percent, 37);
            EXPECT_EQ(seen[7]->secondsLeft, 9); // five to go at 3 in 5 seconds
        } else {
            EXPECT_TRUE(std::none_of(seen.begin(), seen.end(), [](const auto& p) { return p.has_value(); }));
        }
        EXPECT_FALSE(run.progress()); // the scan is over
    }
}

TEST_F(AnalysisRunTest, ScanOptionsReachTheNextScan)
{
    EXPECT_FALSE(run.scanOptions().countLinksOnce);
    run.setScanOptions({.exclude = {"sub"}});
    run.AnalyzeFolder("/data");
    const EntryId sub = tree.childAt(tree.FirstEntry(), 2); // the smallest now
    ASSERT_EQ(tree.name(sub), "sub");
    EXPECT_TRUE(tree.attributes(sub) & Attribute::Excluded);
    EXPECT_EQ(tree.size(tree.FirstEntry()), 51);

    run.setScanOptions({});
    run.AnalyzeFolder("/data");
    EXPECT_EQ(tree.size(tree.FirstEntry()), 81);
}

} // namespace
} // namespace tallyvane

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
    void showVolume(const std::string& path) override { log.push_back("volume " + path); }
    void showTreeEmptying() override { log.push_back("emptying"); }
    void showTreeFilled(EntryId root) override { log.push_back(root == NoEntry ? "filled none" : "filled"); }
    void showRunOutcome(bool cancelled) override { log.push_back(cancelled ? "cancelled" : "done"); }
    void showStopped() override { log.push_back("stopped"); }
    void showElapsed(std::int32_t seconds) override { log.push_back("elapsed " + std::to_string(seconds)); }
    void showRunEnded(bool closeNow) override { log.push_back(closeNow ? "ended, close" : "ended"); }

    std::vector<std::string> log;
    int pumps = 0;
    std::function<void(AnalysisRun&)> onPump;
    std::function<void()> onStarted;
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
    run.CurPath = "/data/";
    fileSystem.beforeRecord = [](const std::string&, const std::string& name) {
        if (name == "a")
            throw std::bad_alloc();
    };
    run.start();
    EXPECT_EQ(display.log, (std::vector<std::string>{"started", "volume /data/", "emptying", "message ScanError /data/",
                                                     "filled none", "done", "stopped", "ended"}));
    EXPECT_EQ(tree.EntryCount(), 0u);
    run.StopFlag = 0;
    EXPECT_EQ(run.AnalyzeFolder("/data"), ScanOutcome::Failed);
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

} // namespace
} // namespace tallyvane

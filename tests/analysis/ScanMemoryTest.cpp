// SPDX-License-Identifier: GPL-3.0-or-later
// Runs out of memory on purpose: the program's operator new fails where a test arms it.
#include "analysis/AnalysisRun.h"
#include "platform/PosixFileSystem.h"
#include "platform/ReadAheadWatcher.h"
#include "support/FailingAllocator.h"
#include "support/FixtureTree.h"
#include "support/ProcessCounts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <utility>

namespace tallyvane {
namespace {

using test::FailingThreads;

// Tells once that the workers of a scan are at work: one has read a batch ahead, or has ended
// because the read-ahead failed before any could. Allocates nothing.
class WorkersBegun final : public ReadAheadWatcher {
public:
    void batchRead(const ReadAheadFolder&) override { tell(); }
    void workerEnds() override { tell(); }

    // Before a scan: the workers of the one before have all ended.
    void rearm() { m_begun = false; }
    void wait() { m_begun.wait(false); }

private:
    void tell()
    {
        if (!m_begun.exchange(true))
            m_begun.notify_all();
    }

    std::atomic<bool> m_begun{false};
};

struct Scanned {
    ScanOutcome outcome;
    std::string error;
    std::size_t entries;
    std::int64_t total;
};

class ScanMemory : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Enough folders that the workers read ahead while the scan goes on.
        fixture = new test::FixtureTree(QStringLiteral("/dev/shm"));
        for (int i = 0; i < 8; ++i) {
            const std::string folder = "f" + std::to_string(i);
            fixture->makeFolder(folder);
            for (int j = 0; j < 8; ++j) {
                const std::string sub = folder + "/s" + std::to_string(j);
                fixture->makeFolder(sub);
                for (int k = 0; k < 30; ++k)
                    fixture->makeFile(sub + "/file-with-a-longer-name-" + std::to_string(k), 100 + k);
            }
        }
    }
    static void TearDownTestSuite()
    {
        delete fixture;
        fixture = nullptr;
    }

    // holdFirstRecordFor: the scan waits at its first record until the workers are at work, so
    // that a worker's failure lands while they read ahead however late they start. The run
    // allocates nothing there, so an armed failure lands in the scan.
    static Scanned scan(FileSystem& fileSystem, WorkersBegun* holdFirstRecordFor = nullptr)
    {
        if (holdFirstRecordFor)
            holdFirstRecordFor->rearm();
        RunRequest request;
        request.path = fixture->path();
        request.roomLeft = [holdFirstRecordFor]() mutable {
            if (WorkersBegun* workers = std::exchange(holdFirstRecordFor, nullptr))
                workers->wait();
            return true;
        };
        RunResult result = AnalysisRun(fileSystem).run(request);
        test::disarmAllocationFailure();
        const EntryTree& tree = *result.tree;
        const EntryId root = tree.FirstEntry();
        return {result.outcome, result.error, tree.EntryCount(), root == NoEntry ? -1 : tree.size(root)};
    }

    // Either the scan failed as a whole, for want of memory and with an empty tree, or nothing
    // was lost; and either way no worker and no descriptor outlives it.
    static void expectSound(const Scanned& scanned, const Scanned& reference, std::size_t threads,
                            std::size_t descriptors, const std::string& where)
    {
        SCOPED_TRACE(where);
        if (scanned.outcome == ScanOutcome::Failed) {
            EXPECT_EQ(scanned.error, "out of memory");
            EXPECT_EQ(scanned.entries, 0u);
        } else {
            EXPECT_EQ(scanned.outcome, ScanOutcome::Complete);
            EXPECT_EQ(scanned.entries, reference.entries);
            EXPECT_EQ(scanned.total, reference.total);
        }
        EXPECT_EQ(test::RunningThreadsSettlingAt(threads), threads);
        EXPECT_EQ(test::OpenDescriptors(), descriptors);
    }

    static test::FixtureTree* fixture;
};

test::FixtureTree* ScanMemory::fixture = nullptr;

TEST_F(ScanMemory, AWorkerOutOfMemoryFailsTheScanAndLeavesNothingBehind)
{
    WorkersBegun workers;
    PosixFileSystem fileSystem({.threads = 4, .recordBudget = 64, .watcher = &workers});
    const Scanned reference = scan(fileSystem);
    ASSERT_EQ(reference.outcome, ScanOutcome::Complete);
    ASSERT_EQ(reference.entries, 8u * 9u + 8u * 8u * 30u + 1u);
    const std::size_t threads = test::ThreadsAtRest();
    const std::size_t descriptors = test::OpenDescriptors();

    int failed = 0;
    for (std::size_t nth : {1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144}) {
        test::armAllocationFailure(nth, FailingThreads::Others);
        const Scanned scanned = scan(fileSystem, &workers);
        expectSound(scanned, reference, threads, descriptors, "worker allocation " + std::to_string(nth));
        failed += scanned.outcome == ScanOutcome::Failed;
    }
    EXPECT_GT(failed, 0);
    // The file system scans on after a failure.
    EXPECT_EQ(scan(fileSystem).entries, reference.entries);
}

TEST_F(ScanMemory, ThreadsThatCannotStartLeaveTheScanToFewerWorkers)
{
    PosixFileSystem real({.threads = 4, .recordBudget = 64});
    const Scanned reference = scan(real);
    const std::size_t threads = test::ThreadsAtRest();
    const std::size_t descriptors = test::OpenDescriptors();

    // Every allocation of a listing's set-up fails in turn, the workers' thread states among
    // them; only those may fail without failing the scan.
    int tolerated = 0;
    for (std::size_t nth = 1; nth <= 16; ++nth) {
        test::FailingOpenFileSystem fileSystem(real, nth, true);
        const Scanned scanned = scan(fileSystem);
        expectSound(scanned, reference, threads, descriptors, "set-up allocation " + std::to_string(nth));
        tolerated += scanned.outcome == ScanOutcome::Complete && test::allocationFailureHit();
    }
    EXPECT_GE(tolerated, 1);
}

TEST_F(ScanMemory, TheScanThreadOutOfMemoryFailsTheScanAtAnyPoint)
{
    PosixFileSystem real({.threads = 4, .recordBudget = 64});
    const Scanned reference = scan(real);
    const std::size_t threads = test::ThreadsAtRest();
    const std::size_t descriptors = test::OpenDescriptors();
    for (std::size_t nth : {25, 40, 60, 100, 200}) {
        test::FailingOpenFileSystem fileSystem(real, nth, false);
        const Scanned scanned = scan(fileSystem);
        EXPECT_TRUE(test::allocationFailureHit()) << nth;
        EXPECT_EQ(scanned.outcome, ScanOutcome::Failed) << nth;
        expectSound(scanned, reference, threads, descriptors, "scan allocation " + std::to_string(nth));
    }
}

} // namespace
} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/ScanEstimate.h"

#include <gtest/gtest.h>

namespace tallyvane {
namespace {

TEST(ScanEstimate, SilentInTheFirstSecondsAndWhenTheCountIsUnknown)
{
    ScanEstimate estimate(1000);
    for (double t = 0; t < ScanEstimate::QuietSeconds; t += 0.1)
        EXPECT_FALSE(estimate.update(t, static_cast<std::uint64_t>(t * 100))) << t;
    EXPECT_TRUE(estimate.update(ScanEstimate::QuietSeconds, 200));

    ScanEstimate unknown(0);
    for (double t = 0; t < 20; t += 0.5)
        EXPECT_FALSE(unknown.update(t, static_cast<std::uint64_t>(t * 100)));
}

TEST(ScanEstimate, ASteadyRateGivesTheShareAndTheTimeLeft)
{
    ScanEstimate estimate(1000);
    std::optional<ScanProgress> progress;
    for (int tenth = 0; tenth <= 30; ++tenth)
        progress = estimate.update(tenth / 10.0, static_cast<std::uint64_t>(tenth * 10)); // 100 a second
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->percent, 30);
    EXPECT_EQ(progress->secondsLeft, 7);
}

TEST(ScanEstimate, TheTimeLeftFollowsTheRateOfTheLastSecondsNotTheAverage)
{
    ScanEstimate estimate(10000);
    std::uint64_t counted = 0;
    double t = 0;
    // Ten fast seconds at 500 a second, then a slow stretch at 50 a second.
    for (; t < 10; t += 0.5, counted += 250)
        estimate.update(t, counted);
    std::optional<ScanProgress> progress;
    for (; t < 20; t += 0.5, counted += 25)
        progress = estimate.update(t, counted);
    ASSERT_TRUE(progress && progress->secondsLeft);
    const double remaining = 10000.0 - static_cast<double>(counted - 25);
    // The average since the start would be about 275 a second; the last stretch is 50.
    EXPECT_NEAR(static_cast<double>(*progress->secondsLeft), remaining / 50, remaining / 50 * 0.05);
}

TEST(ScanEstimate, ThePercentageNeverGoesBackAndStaysBelowAHundred)
{
    // A file system holding more than its count said: the scan counts past it.
    ScanEstimate estimate(500);
    int last = 0;
    std::optional<ScanProgress> progress;
    for (int tenth = 0; tenth <= 200; ++tenth) {
        progress = estimate.update(tenth / 10.0, static_cast<std::uint64_t>(tenth * 5));
        if (!progress)
            continue;
        EXPECT_GE(progress->percent, last) << tenth;
        EXPECT_LE(progress->percent, 99) << tenth;
        last = progress->percent;
        if (progress->secondsLeft) {
            EXPECT_GE(*progress->secondsLeft, 1);
        }
    }
    EXPECT_EQ(last, 99);
}

TEST(ScanEstimate, AStalledScanKeepsItsShareAndTellsNoTimeLeft)
{
    ScanEstimate estimate(1000);
    for (int second = 0; second <= 3; ++second)
        estimate.update(second, static_cast<std::uint64_t>(second * 100));
    std::optional<ScanProgress> progress;
    for (double t = 3.5; t <= 10; t += 0.5) // nothing counted for a while: one huge folder
        progress = estimate.update(t, 300);
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->percent, 30);
    EXPECT_FALSE(progress->secondsLeft);
}

} // namespace
} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/VolumeSummary.h"
#include "support/FakeVolumeQueries.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tallyvane {
namespace {

constexpr std::int64_t GiB = std::int64_t{1} << 30;

// A root with a space and non-ASCII letters, which the summary must pass through untouched.
// The fake's other answers are its defaults: a fixed disk, 4,096-byte clusters, 100 GiB of
// which 25 GiB are free.
const std::string Root = "/media/ann/备份 盘";

using test::FakeVolumeQueries;

using Texts = std::vector<std::optional<QString>>;

Texts textsOf(const VolumeSummary& summary)
{
    return {summary.path, summary.type, summary.cluster, summary.capacity, summary.used, summary.free};
}

std::vector<std::pair<double, QColor>> slicesOf(const VolumeSummary& summary)
{
    std::vector<std::pair<double, QColor>> slices;
    for (const PieSlice& slice : summary.slices) {
        EXPECT_TRUE(slice.label.isEmpty());
        slices.emplace_back(slice.value, slice.colour);
    }
    return slices;
}

const QColor Blue(0, 0, 255);
const QColor Fuchsia(255, 0, 255);

TEST(VolumeSummaryTest, EmptyPathClearsEveryTextAndAsksNothing)
{
    FakeVolumeQueries queries(Root);
    const VolumeSummary summary = SummariseVolume(queries, "");
    EXPECT_EQ(textsOf(summary), Texts(6, QString()));
    EXPECT_TRUE(summary.slices.empty());
    EXPECT_TRUE(queries.asked.empty());
}

TEST(VolumeSummaryTest, VolumeThatAnswersEverything)
{
    FakeVolumeQueries queries(Root);
    const VolumeSummary summary = SummariseVolume(queries, "/media/ann/备份 盘/photos");

    EXPECT_EQ(textsOf(summary),
              (Texts{"/media/ann/备份 盘", "本地硬盘", "4,096 Bytes", "100.0GB", "75.0GB", "25.0GB"}));
    EXPECT_EQ(slicesOf(summary), (std::vector<std::pair<double, QColor>>{{75.0 * GiB, Blue}, {25.0 * GiB, Fuchsia}}));
    // The path finds the volume; everything else is asked of the volume's root.
    const std::string root = queries.root;
    EXPECT_EQ(queries.asked,
              (std::vector<std::pair<std::string, std::string>>{
                  {"root", "/media/ann/备份 盘/photos"}, {"type", root}, {"cluster", root}, {"space", root}}));
}

TEST(VolumeSummaryTest, ClusterSizeWithThousandsSeparators)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "0 Bytes"},          {512, "512 Bytes"},           {4096, "4,096 Bytes"},
        {65536, "65,536 Bytes"}, {1048576, "1,048,576 Bytes"}, {4294967295u, "4,294,967,295 Bytes"},
    };
    FakeVolumeQueries queries(Root);
    for (const auto& [cluster, text] : cases) {
        queries.cluster = cluster;
        EXPECT_EQ(SummariseVolume(queries, "/x").cluster, QString(text)) << cluster;
    }
}

TEST(VolumeSummaryTest, NoVolumeShowsRootAndTypeOnly)
{
    FakeVolumeQueries queries(Root);
    queries.root = "";
    queries.type = DriveType::NoVolume;
    queries.cluster.reset();
    const VolumeSummary summary = SummariseVolume(queries, "/somewhere");

    EXPECT_EQ(textsOf(summary), (Texts{"", "软盘", std::nullopt, std::nullopt, std::nullopt, std::nullopt}));
    EXPECT_TRUE(summary.slices.empty());
    EXPECT_EQ(queries.asked.back().first, "cluster");
}

TEST(VolumeSummaryTest, SpaceThatCannotBeQueriedCountsAsMinusOne)
{
    FakeVolumeQueries queries(Root);
    queries.volumeSpace.reset();
    const VolumeSummary summary = SummariseVolume(queries, "/x");

    EXPECT_EQ(textsOf(summary), (Texts{"/media/ann/备份 盘", "本地硬盘", "4,096 Bytes", "-1Byte", "0Byte", "-1Byte"}));
    EXPECT_EQ(slicesOf(summary), (std::vector<std::pair<double, QColor>>{{0.0, Blue}, {-1.0, Fuchsia}}));
}

TEST(VolumeSummaryTest, FullVolumeIsAllUsed)
{
    FakeVolumeQueries queries(Root);
    queries.volumeSpace = VolumeSpace{465 * GiB, 0};
    const VolumeSummary summary = SummariseVolume(queries, "/x");

    EXPECT_EQ(summary.capacity, "465.0GB");
    EXPECT_EQ(summary.used, "465.0GB");
    EXPECT_EQ(summary.free, "0Byte");
    EXPECT_EQ(slicesOf(summary), (std::vector<std::pair<double, QColor>>{{465.0 * GiB, Blue}, {0.0, Fuchsia}}));
}

TEST(VolumeSummaryTest, EveryDriveTypeHasItsText)
{
    const std::pair<DriveType, const char*> cases[] = {
        {DriveType::Unknown, "未知"},   {DriveType::NoVolume, "软盘"},    {DriveType::Removable, "可移动磁盘"},
        {DriveType::Fixed, "本地硬盘"}, {DriveType::Network, "网络磁盘"}, {DriveType::Optical, "CD-ROM"},
        {DriveType::Ram, "RAM 磁盘"},
    };
    FakeVolumeQueries queries(Root);
    for (const auto& [type, text] : cases) {
        queries.type = type;
        EXPECT_EQ(SummariseVolume(queries, "/x").type, QString::fromUtf8(text)) << static_cast<int>(type);
    }
}

} // namespace
} // namespace tallyvane

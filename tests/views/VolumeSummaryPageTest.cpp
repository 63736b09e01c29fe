// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/VolumeSummaryPage.h"

#include "platform/MountTable.h"
#include "platform/PosixVolumeQueries.h"
#include "presentation/SizeText.h"
#include "support/FakeVolumeQueries.h"
#include "support/FixtureTree.h"
#include "views/PieChart.h"

#include <QChart>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPieSlice>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/statvfs.h>

#include <cstdlib>
#include <string>

namespace tallyvane {
namespace {

const char* const ValueLabels[] = {"labljv", "lablxv", "labcdxv", "labrlv", "labyykjv", "labkykjv"};

class VolumeSummaryPageTest : public testing::Test {
protected:
    QString text(const char* label) const { return page.findChild<QLabel*>(label)->text(); }

    QStringList values() const
    {
        QStringList texts;
        for (const char* label : ValueLabels)
            texts << text(label);
        return texts;
    }

    PieChart& chart() const { return *page.findChild<PieChart*>("Chart1"); }

    QStringList marks() const
    {
        QStringList texts;
        for (std::size_t i = 0; i < chart().slices().size(); ++i)
            texts << chart().markOf(i);
        return texts;
    }

    test::FakeVolumeQueries volume{"/srv"}; // 4,096-byte clusters, 100 GiB, 25 GiB free
    VolumeSummaryPage page{volume};
};

TEST_F(VolumeSummaryPageTest, CaptionsSwatchesAndChart)
{
    page.resize(700, 300);
    EXPECT_EQ(page.findChild<QGroupBox*>()->title(), "卷摘要");
    const std::pair<const char*, const char*> captions[] = {
        {"lablj", "路径："}, {"lablx", "类型："},       {"labcdx", "簇大小："},
        {"labrl", "容量："}, {"labyykj", "已用空间："}, {"labkykj", "可用空间："},
    };
    for (const auto& [label, caption] : captions)
        EXPECT_EQ(text(label), QString::fromUtf8(caption)) << label;
    for (const char* label : ValueLabels)
        EXPECT_TRUE(text(label).isEmpty()) << label;

    const std::pair<const char*, QColor> swatches[] = {{"Image1", QColor(0, 0, 255)}, {"Image3", QColor(255, 0, 255)}};
    for (const auto& [name, colour] : swatches) {
        QLabel* swatch = page.findChild<QLabel*>(name);
        ASSERT_NE(swatch, nullptr) << name;
        EXPECT_EQ(swatch->size(), QSize(12, 12)) << name;
        const QImage image = swatch->grab().toImage();
        EXPECT_EQ(image.pixelColor(0, 0), colour) << name;
        EXPECT_EQ(image.pixelColor(11, 11), colour) << name;
    }

    EXPECT_EQ(chart().chart()->backgroundBrush().color(), QColor(Qt::white));
    EXPECT_TRUE(chart().slices().empty());
}

TEST_F(VolumeSummaryPageTest, FillsFromTheQueriesAndClearsAgain)
{
    page.ShowVolumeSummary("");
    page.ShowVolumeSummary("/srv/www");
    EXPECT_EQ(values(), (QStringList{"/srv", "本地硬盘", "4,096 Bytes", "100.0GB", "75.0GB", "25.0GB"}));
    EXPECT_EQ(marks(), (QStringList{"75 %", "25 %"}));
    const QList<QPieSlice*> slices = chart().series()->slices();
    ASSERT_EQ(slices.size(), 2);
    EXPECT_EQ(slices[0]->color(), QColor(0, 0, 255));
    EXPECT_EQ(slices[1]->color(), QColor(255, 0, 255));

    page.ShowVolumeSummary("");
    EXPECT_EQ(values(), QStringList(6, QString()));
    EXPECT_EQ(chart().series()->count(), 0);
}

TEST_F(VolumeSummaryPageTest, VolumeThatCannotBeQueriedShowsRootAndTypeOnly)
{
    volume.root = "";
    volume.type = DriveType::NoVolume;
    volume.cluster.reset();
    page.ShowVolumeSummary("");
    page.ShowVolumeSummary("/lost");
    EXPECT_EQ(values(), (QStringList{"", "软盘", "", "", "", ""}));
    EXPECT_EQ(chart().series()->count(), 0);
}

TEST_F(VolumeSummaryPageTest, FillingCallLeavesTheLabelsItDoesNotReach)
{
    page.ShowVolumeSummary("/srv/www");
    volume.cluster.reset();
    page.ShowVolumeSummary("/srv/www");
    EXPECT_EQ(text("labcdxv"), "4,096 Bytes");
    EXPECT_EQ(chart().series()->count(), 0);
}

TEST(VolumeSummaryPageOnARealMountTest, ShowsTheMountHoldingTheFolder)
{
    test::FixtureTree tree;
    PosixVolumeQueries queries;
    VolumeSummaryPage page(queries);
    page.ShowVolumeSummary("");
    page.ShowVolumeSummary(tree.path());

    char* canonical = ::realpath(tree.path().c_str(), nullptr);
    ASSERT_NE(canonical, nullptr);
    const MountTable mounts = MountTable::readSystem();
    const Mount* mount = mounts.containing(canonical);
    std::free(canonical);
    ASSERT_NE(mount, nullptr);
    struct statvfs info {};
    ASSERT_EQ(::statvfs(mount->mountPoint.c_str(), &info), 0);
    const auto value = [&page](const char* label) { return page.findChild<QLabel*>(label)->text().toStdString(); };

    EXPECT_EQ(value("labljv"), mount->mountPoint);
    EXPECT_FALSE(value("lablxv").empty());
    EXPECT_EQ(value("labcdxv"), ByteCountText(info.f_frsize) + " Bytes");
    const std::int64_t capacity = static_cast<std::int64_t>(info.f_blocks * info.f_frsize);
    EXPECT_EQ(value("labrlv"), SizeToText(capacity));
    // Used and free move as others write; together they are the capacity.
    EXPECT_FALSE(value("labyykjv").empty());
    EXPECT_FALSE(value("labkykjv").empty());
    const PieChart& chart = *page.findChild<PieChart*>("Chart1");
    ASSERT_EQ(chart.slices().size(), 2u);
    EXPECT_EQ(chart.slices()[0].value + chart.slices()[1].value, static_cast<double>(capacity));
    const QRegularExpression wholePercent("^[0-9]{1,3} %$");
    EXPECT_TRUE(wholePercent.match(chart.markOf(0)).hasMatch()) << chart.markOf(0).toStdString();
    EXPECT_TRUE(wholePercent.match(chart.markOf(1)).hasMatch()) << chart.markOf(1).toStdString();
}

} // namespace
} // namespace tallyvane

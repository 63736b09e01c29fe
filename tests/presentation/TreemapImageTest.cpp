// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/TreemapImage.h"

#include "platform/FileAttributes.h"
#include "presentation/FileTypePalette.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tallyvane;

namespace {

// "/data" holding a.mp4 (three quarters) and b.txt (one quarter).
struct TwoFiles {
    TwoFiles()
    {
        folder = tree.addEntry(NoEntry, Attribute::Directory, 400, "/data");
        video = tree.addEntry(folder, Attribute::Normal, 300, "a.mp4");
        text = tree.addEntry(folder, Attribute::Normal, 100, "b.txt");
    }
    EntryTree tree;
    EntryId folder;
    EntryId video;
    EntryId text;
};

bool sameHue(QRgb pixel, const QColor& colour)
{
    const int difference = std::abs(QColor(pixel).hue() - colour.hue());
    return std::min(difference, 360 - difference) <= 6;
}

TEST(TreemapImage, FilesTakeTheColourOfTheirTypeWithEdgesOnDevicePixels)
{
    TwoFiles data;
    const QColor videoColour = FileTypeColour(FileTypeKey("a.mp4"));
    const QColor textColour = FileTypeColour(FileTypeKey("b.txt"));
    ASSERT_GT(std::abs(videoColour.hue() - textColour.hue()), 20) << "the case needs two distinct colours";

    for (const int ratio : {1, 2}) {
        const auto image = RenderTreemap(data.tree, NoEntry, QSize(400, 100) * ratio, ratio);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->devicePixelRatio(), ratio);
        EXPECT_EQ(image->size(), QSize(400, 100) * ratio);
        // The boundary at three quarters falls between two device pixels, not across one.
        const int edge = 300 * ratio;
        const int row = 50 * ratio;
        EXPECT_TRUE(sameHue(image->pixel(edge - 1, row), videoColour)) << "ratio " << ratio;
        EXPECT_TRUE(sameHue(image->pixel(edge, row), textColour)) << "ratio " << ratio;
        EXPECT_TRUE(sameHue(image->pixel(10, 10), videoColour));
        EXPECT_EQ(qAlpha(image->pixel(edge, row)), 255);
    }
}

TEST(TreemapImage, CushionsAreLitFromTheUpperLeft)
{
    TwoFiles data;
    const auto image = RenderTreemap(data.tree, data.video, QSize(200, 200), 1);
    ASSERT_TRUE(image);
    const auto lightness = [&](int x, int y) { return QColor(image->pixel(x, y)).lightness(); };
    // The highlight sits a little up and left of the crest; the slopes darken towards the edges.
    EXPECT_GT(lightness(60, 60), lightness(140, 140));
    EXPECT_GT(lightness(30, 100), lightness(170, 100));
    EXPECT_GT(lightness(100, 100), lightness(5, 100));
    EXPECT_GT(lightness(100, 100), lightness(195, 195));
}

TEST(TreemapImage, TooSmallFilesShowAsTheFolderGreyAndAnEmptyTreeAsNothing)
{
    EntryTree tree;
    const EntryId folder = tree.addEntry(NoEntry, Attribute::Directory, 0, "/dust");
    for (int i = 0; i < 10'000; ++i)
        tree.addEntry(folder, Attribute::Normal, 1, "speck.bin");
    tree.setSize(folder, 10'000);
    const auto image = RenderTreemap(tree, NoEntry, QSize(50, 50), 1);
    ASSERT_TRUE(image);
    EXPECT_TRUE(sameHue(image->pixel(25, 25), RemainderColour()));
    EXPECT_EQ(QColor(image->pixel(25, 25)).saturation(), 0);

    EntryTree empty;
    const auto blank = RenderTreemap(empty, NoEntry, QSize(50, 50), 1);
    ASSERT_TRUE(blank);
    EXPECT_EQ(qAlpha(blank->pixel(25, 25)), 0);
}

TEST(TreemapImage, CancelledRenderingGivesNoImage)
{
    TwoFiles data;
    std::atomic_bool cancelled{true};
    EXPECT_FALSE(RenderTreemap(data.tree, NoEntry, QSize(100, 100), 1, &cancelled));
}

} // namespace

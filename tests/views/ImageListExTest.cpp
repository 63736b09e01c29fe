// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/TImageListEx.h"

#include <QImage>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

constexpr int kText = 3;
constexpr int kImage = 5;
constexpr int kGenericFile = 7;
constexpr int kFolder = 10;
constexpr int kOpenFolder = 11;

// Every system icon is a solid colour of its own, in a different shade for its small and its
// large size, so a copy shows which system icon and which size it came from.
QRgb smallColour(int systemIndex)
{
    return QColor::fromHsv(systemIndex * 29 % 360, 255, 255).rgb();
}

QRgb largeColour(int systemIndex)
{
    return QColor::fromHsv(systemIndex * 29 % 360, 255, 120).rgb();
}

QPixmap solid(int side, QRgb colour)
{
    QPixmap pixmap(side, side);
    pixmap.fill(colour);
    return pixmap;
}

QRgb centreOf(const QPixmap& pixmap)
{
    return pixmap.toImage().pixel(pixmap.width() / 2, pixmap.height() / 2);
}

// A system list that knows .txt and .png, gives the empty name no icon, records every icon
// it hands out and fails to hand out the ones it is told to.
class RecordingSystemList : public SystemIconList {
public:
    int systemIndexOfFile(std::string_view fileName) override
    {
        if (fileName.empty())
            return -1;
        if (fileName.ends_with(".txt"))
            return kText;
        if (fileName.ends_with(".png"))
            return kImage;
        return kGenericFile;
    }

    int systemIndexOfFolder(bool open) override { return open ? kOpenFolder : kFolder; }

    QIcon icon(int systemIndex) override
    {
        copied.push_back(systemIndex);
        if (failing.contains(systemIndex))
            return {};
        QIcon icon;
        icon.addPixmap(solid(16, smallColour(systemIndex)));
        icon.addPixmap(solid(32, largeColour(systemIndex)));
        return icon;
    }

    std::vector<int> copied;
    std::set<int> failing;
};

TEST(ImageListEx, HandsOutIndexesInFirstAskedOrderAndCopiesEachIconOnce)
{
    RecordingSystemList system;
    TImageListEx list(system);
    EXPECT_EQ(list.DesignCount(), 0);

    EXPECT_EQ(list.FileIconIndex("a.txt"), 0);
    EXPECT_EQ(list.FileIconIndex("b.png"), 1);
    EXPECT_EQ(list.FileIconIndex("a.txt"), 0);
    EXPECT_EQ(list.FileIconIndex("b.png"), 1);

    EXPECT_EQ(system.copied, (std::vector<int>{kText, kImage}));
    EXPECT_EQ(list.IndexMap(), (std::vector<int>{kText, kImage}));
    EXPECT_EQ(list.count(), 2);
}

TEST(ImageListEx, FilesOfOneTypeShareAnImageAndUnknownTypesShareTheGenericOne)
{
    RecordingSystemList system;
    TImageListEx list(system);

    const int text = list.FileIconIndex("a.txt");
    EXPECT_EQ(list.FileIconIndex("b.txt"), text);
    const int unknown = list.FileIconIndex("archive.zzq");
    EXPECT_EQ(list.FileIconIndex("no-extension"), unknown);
    EXPECT_NE(unknown, text);

    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(system.copied, (std::vector<int>{kText, kGenericFile}));
}

TEST(ImageListEx, ACollapsedAndThenExpandedFolderUsesTwoImages)
{
    RecordingSystemList system;
    TImageListEx list(system);

    EXPECT_EQ(list.FolderIconIndex(), 0);
    EXPECT_EQ(list.OpenFolderIconIndex(), 1);
    EXPECT_EQ(list.FolderIconIndex(), 0);
    EXPECT_EQ(list.OpenFolderIconIndex(), 1);

    EXPECT_EQ(system.copied, (std::vector<int>{kFolder, kOpenFolder}));
    EXPECT_EQ(centreOf(list.image(0)), smallColour(kFolder));
    EXPECT_EQ(centreOf(list.image(1)), smallColour(kOpenFolder));
}

TEST(ImageListEx, NoSystemIconGivesNoIconAndCreatesNothing)
{
    RecordingSystemList system;
    TImageListEx list(system);

    EXPECT_EQ(list.MapSystemIndex(-1), -1);
    EXPECT_EQ(list.MapSystemIndex(-7), -1);
    EXPECT_EQ(list.FileIconIndex(""), -1);

    EXPECT_TRUE(system.copied.empty());
    EXPECT_TRUE(list.IndexMap().empty());
    EXPECT_EQ(list.count(), 0);
}

TEST(ImageListEx, AFailedCopyIsForgottenAndTriedAgainOnTheNextRequest)
{
    RecordingSystemList system;
    system.failing = {kImage};
    TImageListEx list(system);

    EXPECT_EQ(list.FileIconIndex("b.png"), -1);
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(list.IndexMap().empty());
    // The failure took no place in the list.
    EXPECT_EQ(list.FileIconIndex("a.txt"), 0);
    EXPECT_EQ(list.FileIconIndex("b.png"), -1);

    system.failing.clear();
    EXPECT_EQ(list.FileIconIndex("b.png"), 1);
    EXPECT_EQ(system.copied, (std::vector<int>{kImage, kText, kImage, kImage}));
    EXPECT_EQ(list.IndexMap(), (std::vector<int>{kText, kImage}));
}

TEST(ImageListEx, CopiesComeAfterTheDesignImages)
{
    RecordingSystemList system;
    const QRgb design = qRgb(0, 0, 0);
    TImageListEx list(system, {solid(16, design), solid(16, design)});
    ASSERT_EQ(list.DesignCount(), 2);
    ASSERT_EQ(list.count(), 2);

    EXPECT_EQ(list.OpenFolderIconIndex(), 2);
    EXPECT_EQ(list.FileIconIndex("a.txt"), 3);
    EXPECT_EQ(list.OpenFolderIconIndex(), 2);

    EXPECT_EQ(list.IndexMap(), (std::vector<int>{kOpenFolder, kText}));
    EXPECT_EQ(centreOf(list.image(1)), design);
    EXPECT_EQ(centreOf(list.image(2)), smallColour(kOpenFolder));
    EXPECT_TRUE(list.image(-1).isNull());
    EXPECT_TRUE(list.image(list.count()).isNull());
}

TEST(ImageListEx, EveryCopyHoldsTheSystemIconItsMapEntryNames)
{
    RecordingSystemList system;
    system.failing = {kGenericFile};
    TImageListEx list(system, {solid(16, qRgb(0, 0, 0))});

    for (const char* name : {"x.png", "README", "a.txt", "y.png", "b.txt"})
        list.FileIconIndex(name);
    list.OpenFolderIconIndex();
    system.failing.clear();
    list.FileIconIndex("README");
    list.FolderIconIndex();
    list.MapSystemIndex(kText);

    const std::vector<int>& map = list.IndexMap();
    EXPECT_EQ(map, (std::vector<int>{kImage, kText, kOpenFolder, kGenericFile, kFolder}));
    ASSERT_EQ(list.count(), list.DesignCount() + static_cast<int>(map.size()));
    for (std::size_t i = 0; i < map.size(); ++i) {
        const QPixmap copy = list.image(list.DesignCount() + static_cast<int>(i));
        EXPECT_EQ(copy.size(), QSize(16, 16)) << "copy " << i;
        EXPECT_EQ(centreOf(copy), smallColour(map[i])) << "copy " << i;
    }
}

struct SizeCase {
    int width;
    int height;
    bool small; // whether the system's small icons are the source
};

void PrintTo(const SizeCase& c, std::ostream* out)
{
    *out << c.width << "x" << c.height;
}

class ImageListExSizeTest : public testing::TestWithParam<SizeCase> {};

TEST_P(ImageListExSizeTest, SixteenPixelWideListsCopySmallIconsOthersLargeOnesAtTheListsSize)
{
    RecordingSystemList system;
    TImageListEx list(system, GetParam().width, GetParam().height);

    const QPixmap copy = list.image(list.FolderIconIndex());
    EXPECT_EQ(copy.size(), QSize(GetParam().width, GetParam().height));
    EXPECT_EQ(copy.devicePixelRatio(), 1.0);
    EXPECT_EQ(centreOf(copy), GetParam().small ? smallColour(kFolder) : largeColour(kFolder));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ImageListExSizeTest,
                         testing::Values(SizeCase{16, 16, true}, SizeCase{16, 20, true}, SizeCase{32, 32, false},
                                         SizeCase{24, 24, false}, SizeCase{48, 48, false}));

TEST(ImageListEx, CopiesTheDesktopsIcons)
{
    FreedesktopIconList system;
    TImageListEx list(system);

    for (const int index : {list.FolderIconIndex(), list.OpenFolderIconIndex(), list.FileIconIndex("a.txt"),
                            list.FileIconIndex("unknown.zzq")}) {
        ASSERT_GE(index, 0);
        EXPECT_EQ(list.image(index).size(), QSize(16, 16));
    }
    EXPECT_EQ(list.count(), 4);
}

} // namespace
} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/FileTypePalette.h"

#include "platform/FileAttributes.h"

#include <gtest/gtest.h>

#include <set>

using namespace tallyvane;

namespace {

TEST(FileTypePalette, TypeIsTheLowerCasedPartAfterTheLastDot)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"film.MP4", "mp4"}, {"archive.tar.gz", "gz"}, {".profile", ""}, {"Makefile", ""},
        {"trailing.", ""},   {"名字.TXT", "txt"},      {"a.Ä", "Ä"},
    };
    for (const auto& [name, type] : cases)
        EXPECT_EQ(FileType(name), type) << name;
}

TEST(FileTypePalette, SameTypeAlwaysSameColour)
{
    EXPECT_EQ(FileTypeKey("a.TXT"), FileTypeKey("b.txt"));
    EXPECT_EQ(FileTypeKey("x"), FileTypeKey(".hidden"));
    EXPECT_NE(FileTypeKey("a.txt"), FileTypeKey("a.tx"));
    EXPECT_EQ(FileTypeColour(FileTypeKey("a.JPG")), FileTypeColour(FileTypeKey("z.jpg")));
    // The palette is spread over the common types, not folded onto one colour.
    std::set<QRgb> colours;
    for (const char* name : {"a.txt", "a.jpg", "a.mp4", "a.so", "a.iso", "a.zip", "a.pdf", "a.cpp", "a.h", "a.log"})
        colours.insert(FileTypeColour(FileTypeKey(name)).rgb());
    EXPECT_GE(colours.size(), 5u);
    EXPECT_FALSE(colours.contains(RemainderColour().rgb()));
}

TEST(FileTypePalette, LargestTypesAddUpFilesBelowTheRoot)
{
    EntryTree tree;
    const EntryId top = tree.addEntry(NoEntry, Attribute::Directory, 0, "/t");
    const EntryId sub = tree.addEntry(top, Attribute::Directory, 0, "sub.d");
    tree.addEntry(top, Attribute::Normal, 500, "a.iso");
    tree.addEntry(top, Attribute::Normal, 100, "b.TXT");
    tree.addEntry(sub, Attribute::Normal, 150, "c.txt");
    tree.addEntry(sub, Attribute::Normal, 200, "README");
    tree.addEntry(sub, Attribute::Normal, 0, "empty.bin");
    tree.addEntry(NoEntry, Attribute::Normal, 9000, "/other.img");

    const auto whole = LargestFileTypes(tree, NoEntry, 10);
    ASSERT_EQ(whole.size(), 4u);
    EXPECT_EQ(whole[0].type, "img");
    EXPECT_EQ(whole[1].type, "iso");
    EXPECT_EQ(whole[2].type, "txt");
    EXPECT_EQ(whole[2].bytes, 250);
    EXPECT_EQ(whole[2].colour, FileTypeColour(FileTypeKey("x.txt")));
    EXPECT_EQ(whole[3].type, "");

    const auto below = LargestFileTypes(tree, sub, 1);
    ASSERT_EQ(below.size(), 1u);
    EXPECT_EQ(below[0].type, "");
    EXPECT_EQ(below[0].bytes, 200);
}

} // namespace

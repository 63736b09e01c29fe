// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Settings.h"
#include "platform/AtomicFile.h"
#include "support/FileText.h"
#include "support/FixtureTree.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

namespace tallyvane {
namespace {

using test::FixtureTree;
using test::ReadFileText;

bool exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

Settings make(bool autoAnalyze, std::array<bool, 6> columns, int skin)
{
    Settings settings;
    settings.AutoAnalyze = autoAnalyze;
    settings.ColShow = columns;
    settings.SkinNo = skin;
    return settings;
}

constexpr std::array<bool, 6> AllShown{true, true, true, true, true, true};

// What the window does at start: load, then write back what differs from the page as created.
TEST(Settings, StartReadsEachSettingAndWritesBackWhatDiffers)
{
    struct Case {
        const char* file; // nullptr: no file
        Settings loaded;
        std::vector<int> writeBacks;
        const char* fileAfter; // nullptr: still no file
    };
    const Case cases[] = {
        {nullptr, make(true, AllShown, 1), {}, nullptr},
        {"[Col]\nC3=0\n", make(true, {true, true, false, true, true, true}, 1), {4}, "[Col]\nC3=0\n"},
        {"[Auto]\nAct=0\n", make(false, AllShown, 1), {1}, "[Auto]\nAct=0\n"},
        {"[Auto]\nAct=yes\n[Col]\nC1=2\n", make(true, AllShown, 1), {}, "[Auto]\nAct=yes\n[Col]\nC1=2\n"},
        {"[Skin]\nSk=9\n", make(true, AllShown, 9), {}, "[Skin]\nSk=9\n"},
        {"[Skin]\nSk=0\n", make(true, AllShown, 0), {}, "[Skin]\nSk=0\n"},
        {"[Skin]\nSk=-2\n", make(true, AllShown, -2), {}, "[Skin]\nSk=-2\n"},
        {"[Skin]\nSk=0x3\n", make(true, AllShown, 3), {8}, "[Skin]\nSk=3\n"},
        {"[Skin]\nSk=1\n", make(true, AllShown, 1), {}, "[Skin]\nSk=1\n"},
        {"[col]\nc6=0\nC1=0x0\n[AUTO]\nact=0\n[skin]\nsk=6\n",
         make(false, {false, true, true, true, true, false}, 6),
         {8, 1, 2, 7},
         "[col]\nc6=0\nC1=0\n[AUTO]\nact=0\n[skin]\nsk=6\n"},
    };
    for (const Case& c : cases) {
        FixtureTree tree;
        const std::string path = tree.pathOf("Tallyvane.ini");
        if (c.file)
            std::ofstream(path, std::ios::binary) << c.file;
        IniFile file(path);

        const Settings settings = Settings::load(file);
        const std::string label = c.file ? c.file : "no file";
        EXPECT_EQ(settings.AutoAnalyze, c.loaded.AutoAnalyze) << label;
        EXPECT_EQ(settings.ColShow, c.loaded.ColShow) << label;
        EXPECT_EQ(settings.SkinNo, c.loaded.SkinNo) << label;
        EXPECT_EQ(settings.startWriteBacks(), c.writeBacks) << label;

        for (const int code : settings.startWriteBacks())
            settings.save(file, code);
        if (c.fileAfter)
            EXPECT_EQ(ReadFileText(path), c.fileAfter) << label;
        else
            EXPECT_FALSE(exists(path)) << label;
    }
}

TEST(Settings, EachCodeWritesExactlyItsKey)
{
    const Settings settings = make(false, {true, false, true, false, false, true}, 4);
    const std::pair<int, std::string> cases[] = {
        {1, "[Auto]\nAct=0\n"}, {2, "[Col]\nC1=1\n"}, {3, "[Col]\nC2=0\n"}, {4, "[Col]\nC3=1\n"},
        {5, "[Col]\nC4=0\n"},   {6, "[Col]\nC5=0\n"}, {7, "[Col]\nC6=1\n"}, {8, "[Skin]\nSk=4\n"},
    };
    for (const auto& [code, text] : cases) {
        FixtureTree tree;
        IniFile file(tree.pathOf("Tallyvane.ini"));
        settings.save(file, code);
        EXPECT_EQ(ReadFileText(file.path()), text) << code;
    }
    for (const int code : {0, 12, -1}) {
        FixtureTree tree;
        IniFile file(tree.pathOf("Tallyvane.ini"));
        settings.save(file, code);
        EXPECT_FALSE(exists(file.path())) << code;
    }
}

TEST(Settings, WhatIsSavedIsLoadedAtTheNextStart)
{
    FixtureTree tree;
    IniFile file(tree.pathOf("Tallyvane.ini"));
    Settings settings = make(false, {false, true, false, true, false, true}, 5);
    for (int code = 1; code <= 8; ++code)
        settings.save(file, code);
    settings.AutoAnalyze = true;
    settings.save(file, SaveCodeAuto);

    const Settings loaded = Settings::load(file);
    EXPECT_TRUE(loaded.AutoAnalyze);
    EXPECT_EQ(loaded.ColShow, settings.ColShow);
    EXPECT_EQ(loaded.SkinNo, 5);
    EXPECT_EQ(ReadFileText(file.path()), "[Auto]\nAct=1\n[Col]\nC1=0\nC2=1\nC3=0\nC4=1\nC5=0\nC6=1\n[Skin]\nSk=5\n");
}

TEST(Settings, TheScanThreadCountIsReadFromTheFileOnlyWithinTheCommandLinesRange)
{
    const std::pair<const char*, int> cases[] = {
        {"", 0},
        {"[Scan]\nThreads=8\n", 8},
        {"[scan]\nthreads = 1\n", 1},
        {"[Scan]\nThreads=-3\n", 0},
        {"[Scan]\nThreads=lots\n", 0},
        {"[Scan]\nThreads=0\n", 0},
        {"[Scan]\nThreads=256\n", 256},
        {"[Scan]\nThreads=257\n", 0},
        {"[Scan]\nThreads=1000000\n", 0},
        {"[Scan]\nThreads=99999999999\n", 0},
    };
    for (const auto& [text, threads] : cases) {
        FixtureTree tree;
        std::ofstream(tree.pathOf("Tallyvane.ini")) << text;
        EXPECT_EQ(Settings::load(IniFile(tree.pathOf("Tallyvane.ini"))).ScanThreads, threads) << text;
        EXPECT_TRUE(Settings::load(IniFile(tree.pathOf("Tallyvane.ini"))).startWriteBacks().empty()) << text;
        EXPECT_EQ(ReadFileText(tree.pathOf("Tallyvane.ini")), text) << "a count out of range stays as written";
    }
}

TEST(Settings, ScanOptionsAreReadWithTheirDefaultsAndWrittenBack)
{
    struct Case {
        const char* text;
        bool oneFileSystem;
        bool hardLinksOnce;
        std::vector<std::string> exclude;
    };
    const Case cases[] = {
        {"", false, false, {}},
        {"[Scan]\nOneFileSystem=1\nHardLinks=once\nExclude=*.o;.cache\n", true, true, {"*.o", ".cache"}},
        {"[scan]\nonefilesystem=7\nhardlinks=ONCE\nexclude= *.o ; ;build/ ;\n", true, true, {"*.o", "build/"}},
        {"[Scan]\nOneFileSystem=0\nHardLinks=each\nExclude=\n", false, false, {}},
        {"[Scan]\nOneFileSystem=yes\nHardLinks=1\n", false, false, {}}, // not what the keys take: defaults
    };
    for (const Case& c : cases) {
        FixtureTree tree;
        std::ofstream(tree.pathOf("Tallyvane.ini")) << c.text;
        const Settings loaded = Settings::load(IniFile(tree.pathOf("Tallyvane.ini")));
        EXPECT_EQ(loaded.OneFileSystem, c.oneFileSystem) << c.text;
        EXPECT_EQ(loaded.HardLinksOnce, c.hardLinksOnce) << c.text;
        EXPECT_EQ(loaded.excludeList(), c.exclude) << c.text;
        const ScanOptions options = loaded.scanOptions();
        EXPECT_EQ(options.oneFileSystem, c.oneFileSystem);
        EXPECT_EQ(options.countLinksOnce, c.hardLinksOnce);
        EXPECT_EQ(options.exclude, c.exclude);
        EXPECT_TRUE(loaded.startWriteBacks().empty()) << "the scan options are never written at start";
    }

    FixtureTree tree;
    IniFile file(tree.pathOf("Tallyvane.ini"));
    Settings settings;
    settings.OneFileSystem = true;
    settings.HardLinksOnce = true;
    settings.Exclude = "node_modules; *.tmp";
    for (const int code : {SaveCodeOneFileSystem, SaveCodeHardLinks, SaveCodeExclude})
        settings.save(file, code);
    EXPECT_EQ(ReadFileText(file.path()), "[Scan]\nOneFileSystem=1\nHardLinks=once\nExclude=node_modules; *.tmp\n");
    const Settings loaded = Settings::load(file);
    EXPECT_TRUE(loaded.OneFileSystem);
    EXPECT_TRUE(loaded.HardLinksOnce);
    EXPECT_EQ(loaded.Exclude, "node_modules; *.tmp");
    settings.OneFileSystem = false;
    settings.HardLinksOnce = false;
    settings.save(file, SaveCodeOneFileSystem);
    settings.save(file, SaveCodeHardLinks);
    EXPECT_EQ(ReadFileText(file.path()), "[Scan]\nOneFileSystem=0\nHardLinks=each\nExclude=node_modules; *.tmp\n");
}

TEST(Settings, AFailedSaveReachesTheCaller)
{
    FixtureTree tree;
    tree.makeFolder("Tallyvane.ini");
    IniFile file(tree.pathOf("Tallyvane.ini"));
    try {
        Settings().save(file, SaveCodeSkin);
        ADD_FAILURE() << "saved into a folder";
    } catch (const FileError& error) {
        EXPECT_EQ(error.what(), "Unable to write to " + tree.pathOf("Tallyvane.ini"));
    }
}

} // namespace
} // namespace tallyvane

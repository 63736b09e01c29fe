// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/IniFile.h"
#include "platform/AtomicFile.h"
#include "platform/SettingsLocation.h"
#include "support/FileText.h"
#include "support/FixtureTree.h"
#include "support/SmallDisk.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>

namespace tallyvane {
namespace {

using test::FixtureTree;
using test::ReadFileText;
using test::WriteFileText;

std::set<std::string> namesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Replaces all "\n" by "\r\n", so one expected text serves both line-end styles.
std::string crlf(std::string text)
{
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2)
        text.insert(at, "\r");
    return text;
}

const std::string LongValue = std::string(2000, 'a') + std::string(1000, 'b');

const std::string HandMade = "; Tallyvane settings\n"
                             "Act=9\n"
                             "\n"
                             "[auto]\n"
                             "  ACT  =  0  \n"
                             "[Col]\n"
                             "C1=0\n"
                             "C1=1\n"
                             "C2 =\n"
                             "C3=yes\n"
                             "C4\t=\t0x3\t\n"
                             "no equals sign\n"
                             "C5=a=b\n"
                             "[ Skin ] trailing words\n"
                             "Sk=0x1F\n"
                             "[COL]\n"
                             "C6=0\n"
                             "[Long]\n"
                             "V="
    + LongValue + "\n";

TEST(IniFile, ReadsTheFirstMatchTrimmedRegardlessOfCase)
{
    FixtureTree tree;
    for (const std::string& text : {HandMade, crlf(HandMade)}) {
        WriteFileText(tree.pathOf("a.ini"), text);
        const IniFile file(tree.pathOf("a.ini"));
        struct Case {
            const char* section;
            const char* key;
            std::string value;
        };
        const Case cases[] = {
            {"Auto", "Act", "0"},
            {"AUTO", "act", "0"},
            {"Col", "C1", "0"},
            {"Col", "C2", ""},
            {"Col", "C4", "0x3"},
            {"Col", "C5", "a=b"},
            {"Col", "C6", "default"}, // only in the section's second appearance
            {"Col", "no equals sign", "default"},
            {"skin", "SK", "0x1F"},
            {"Missing", "Act", "default"},
            {"Col", "C7", "default"},
            {"", "Act", "default"}, // keys above the first section belong to none
            {"Long", "V", LongValue.substr(0, IniFile::MaxValueLength)},
        };
        for (const Case& c : cases)
            EXPECT_EQ(file.readString(c.section, c.key, "default"), c.value) << c.section << "/" << c.key;
    }
}

TEST(IniFile, ReadsIntegersInDecimalOrAfter0x)
{
    FixtureTree tree;
    const std::pair<std::string, int> cases[] = {
        {"0", 0},
        {"42", 42},
        {"  7  ", 7},
        {"-12", -12},
        {"+5", 5},
        {"0x3", 3},
        {"0X1f", 31},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"0x7FFFFFFF", INT_MAX},
        {"", -99},
        {"yes", -99},
        {"12abc", -99},
        {"1 2", -99},
        {"0x", -99},
        {"0x-3", -99},
        {"--1", -99},
        {"+-1", -99},
        {"3.0", -99},
        {"2147483648", -99},
        {"0x80000000", -99},
        {"-0x3", -99},
        {"99999999999999999999999", -99},
    };
    std::string text = "[Numbers]\n";
    for (std::size_t i = 0; i < std::size(cases); ++i)
        text += "k" + std::to_string(i) + "=" + cases[i].first + "\n";
    WriteFileText(tree.pathOf("a.ini"), text);
    const IniFile file(tree.pathOf("a.ini"));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(file.readInteger("Numbers", "k" + std::to_string(i), -99), cases[i].second)
            << '"' << cases[i].first << '"';
    EXPECT_EQ(file.readInteger("Numbers", "missing", -99), -99);
}

TEST(IniFile, ReadingAMissingOrUnreadableFileGivesTheDefaultAndCreatesNothing)
{
    FixtureTree tree;
    tree.makeFolder("folder.ini");
    for (const std::string& path : {tree.pathOf("missing/a.ini"), tree.pathOf("a.ini"), tree.pathOf("folder.ini")}) {
        const IniFile file(path);
        EXPECT_EQ(file.readString("Auto", "Act", "d"), "d") << path;
        EXPECT_EQ(file.readInteger("Auto", "Act", 5), 5) << path;
    }
    EXPECT_EQ(namesIn(tree.path()), std::set<std::string>{"folder.ini"});
}

TEST(IniFile, WritesOnlyTheValueOrTheNewLinesAndKeepsEveryOtherByte)
{
    const std::string before = "; Tallyvane settings\n"
                               "Act=9\n"
                               "\n"
                               "[auto]\n"
                               "  ACT  =  0  \n"
                               "[Col]\n"
                               "C1=0\n"
                               "no equals sign\n"
                               "C2=\n"
                               "\n"
                               "\t\n"
                               "[ Skin ]\n"
                               "[COL]\n"
                               "C6=0\n";
    const std::string after = "; Tallyvane settings\n"
                              "Act=9\n"
                              "\n"
                              "[auto]\n"
                              "  ACT  =  1  \n"
                              "[Col]\n"
                              "C1=0\n"
                              "no equals sign\n"
                              "C2=1\n"
                              "C6=1\n"
                              "C5=0\n"
                              "\n"
                              "\t\n"
                              "[ Skin ]\n"
                              "Sk=3\n"
                              "[COL]\n"
                              "C6=0\n"
                              "[Zeta]\n"
                              "Z=2\n"
                              "Y=1\n"
                              "[Alpha]\n"
                              "A=\n";
    FixtureTree tree;
    for (const bool windowsLines : {false, true}) {
        const std::string path = tree.pathOf(windowsLines ? "crlf.ini" : "lf.ini");
        WriteFileText(path, windowsLines ? crlf(before) : before);
        IniFile file(path);
        file.writeString("Auto", "act", "1");
        file.writeString("Col", "C2", "1");
        file.writeString("Col", "C6", "1");
        file.writeString("col", "C5", "0");
        file.writeString("Skin", "Sk", "3");
        file.writeString("Zeta", "Z", "1");
        file.writeString("Alpha", "A", "");
        file.writeString("Zeta", "Y", "1");
        file.writeString("ZETA", "z", "2");
        EXPECT_EQ(ReadFileText(path), windowsLines ? crlf(after) : after);
        EXPECT_EQ(file.readString("Col", "C6", ""), "1");
    }
    EXPECT_EQ(namesIn(tree.path()), (std::set<std::string>{"crlf.ini", "lf.ini"})) << "a temporary file was left";
}

TEST(IniFile, EndsTheLastLineBeforeAddingOne)
{
    FixtureTree tree;
    const std::string path = tree.pathOf("a.ini");
    const std::pair<std::string, std::string> cases[] = {
        {"[Col]", "[Col]\nC1=0\n"},
        {"[Col]\r\nC2=1", "[Col]\r\nC2=1\r\nC1=0\r\n"},
        {"; no sections", "; no sections\n[Col]\nC1=0\n"},
        {"[Auto]\r\nAct=1", "[Auto]\r\nAct=1\r\n[Col]\r\nC1=0\r\n"},
        {"", "[Col]\nC1=0\n"},
        // A CR that ends the last line is part of its value, and stays so.
        {"[Auto]\nAct=\r\r", "[Auto]\nAct=\r\r\r\n[Col]\nC1=0\n"},
        {"[Col]\nC2=\r", "[Col]\nC2=\r\r\nC1=0\n"},
    };
    for (const auto& [before, after] : cases) {
        WriteFileText(path, before);
        IniFile(path).writeString("Col", "C1", "0");
        EXPECT_EQ(ReadFileText(path), after) << before;
    }
}

TEST(IniFile, AWriteChangesNoOtherValue)
{
    FixtureTree tree;
    const std::string path = tree.pathOf("a.ini");
    for (const char* text : {"[c]\nc1=\r\r", "[c]\nc1=x\r", "[c]\r\nc1=\r", "\r", "[c]\nc1=1\n\r"}) {
        const std::string before = text;
        WriteFileText(path, before);
        IniFile file(path);
        const std::string value = file.readString("c", "c1", "none");
        file.writeString("Other", "k", "1");
        file.writeString("c", "c2", "2");
        EXPECT_EQ(file.readString("c", "c1", "none"), value) << testing::PrintToString(before);
        EXPECT_EQ(file.readString("Other", "k", ""), "1") << testing::PrintToString(before);
        EXPECT_EQ(file.readString("c", "c2", ""), "2") << testing::PrintToString(before);
        EXPECT_TRUE(ReadFileText(path).starts_with(before)) << testing::PrintToString(before);
    }
}

TEST(IniFile, OnlyARegularFileOfSaneSizeIsReadAndNothingElseIsReplaced)
{
    // Before the limits, a pipe blocked the read for good and /dev/zero filled the memory:
    // the alarm ends the test program instead of letting it hang.
    ::alarm(30);
    FixtureTree tree;
    ASSERT_EQ(::mkfifo(tree.pathOf("fifo.ini").c_str(), 0600), 0);
    tree.makeSymlink("zero.ini", "/dev/zero");
    const std::string entry = "[Auto]\nAct=7\n";
    WriteFileText(tree.pathOf("full.ini"), entry + std::string((1 << 20) - entry.size(), ';'));
    WriteFileText(tree.pathOf("huge.ini"), entry + std::string((1 << 20) + 1 - entry.size(), ';'));

    EXPECT_EQ(IniFile(tree.pathOf("full.ini")).readInteger("Auto", "Act", 0), 7) << "1 MiB is read";
    for (const char* name : {"fifo.ini", "zero.ini", "huge.ini"}) {
        IniFile file(tree.pathOf(name));
        EXPECT_EQ(file.readInteger("Auto", "Act", 0), 0) << name;
        EXPECT_THROW(file.writeString("Auto", "Act", "1"), FileError) << name;
    }
    struct stat st;
    ASSERT_EQ(::stat(tree.pathOf("fifo.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(std::filesystem::is_symlink(tree.pathOf("zero.ini")));
    EXPECT_EQ(std::filesystem::file_size(tree.pathOf("huge.ini")), (1u << 20) + 1);
    ::alarm(0);
}

TEST(IniFile, ANewFileHoldsOnlyTheKeyAndItsMissingFoldersAreMade)
{
    FixtureTree tree;
    const std::string path = tree.pathOf("config/tallyvane/Tallyvane.ini");
    IniFile file(path);
    file.writeString("Col", "C3", "0");
    EXPECT_EQ(ReadFileText(path), "[Col]\nC3=0\n");
    struct stat st;
    ASSERT_EQ(::stat(tree.pathOf("config").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(IniFile, AFailedWriteNamesTheFileAndLeavesItAsItWas)
{
    FixtureTree tree;
    tree.makeFolder("folder.ini");
    WriteFileText(tree.pathOf("plain"), "x");
    for (const std::string& path :
         {tree.pathOf("folder.ini"), tree.pathOf("plain/a.ini"), tree.pathOf("plain/sub/a.ini")}) {
        IniFile file(path);
        try {
            file.writeString("Auto", "Act", "0");
            ADD_FAILURE() << "wrote " << path;
        } catch (const FileError& error) {
            EXPECT_EQ(error.what(), "Unable to write to " + path);
        }
    }
    EXPECT_EQ(namesIn(tree.path()), (std::set<std::string>{"folder.ini", "plain"}));
    EXPECT_TRUE(namesIn(tree.pathOf("folder.ini")).empty());
    EXPECT_EQ(ReadFileText(tree.pathOf("plain")), "x");
}

TEST(IniFile, AFullDiskLeavesTheOldFileAndNoTemporaryFile)
{
    FixtureTree tree;
    const std::string path = tree.pathOf("a.ini");
    const std::string old = "[Auto]\nAct=0\n";
    WriteFileText(path, old);

    std::string message;
    {
        const test::SmallDisk disk(64);
        try {
            IniFile(path).writeString("Col", "C1", std::string(200, '1'));
        } catch (const FileError& error) {
            message = error.what();
        }
    }

    EXPECT_EQ(message, "Unable to write to " + path);
    EXPECT_EQ(ReadFileText(path), old);
    EXPECT_EQ(namesIn(tree.path()), std::set<std::string>{"a.ini"});
}

TEST(IniFile, WritesThroughALinkToTheFile)
{
    FixtureTree tree;
    WriteFileText(tree.pathOf("real.ini"), "[Auto]\nAct=1\n");
    tree.makeSymlink("link.ini", "real.ini");
    IniFile(tree.pathOf("link.ini")).writeString("Auto", "Act", "0");
    EXPECT_EQ(ReadFileText(tree.pathOf("real.ini")), "[Auto]\nAct=0\n");
    EXPECT_TRUE(std::filesystem::is_symlink(tree.pathOf("link.ini")));
}

TEST(SettingsLocation, FollowsThePortableAndXdgRules)
{
    struct Case {
        const char* name;
        SettingsSurroundings surroundings;
        std::string path;
    };
    const Case cases[] = {
        {"named by the variable", {"/tmp/t.ini", "/xdg", "/home/ann", "/opt/tv", true}, "/tmp/t.ini"},
        {"existing portable file", {"", "/xdg", "/home/ann", "/opt/tv", true}, "/opt/tv/Tallyvane.ini"},
        {"portable file, program in the root folder", {"", "", "/home/ann", "/", true}, "/Tallyvane.ini"},
        // A writable program folder (~/.local/bin) without a file of its own is not a portable copy.
        {"writable program folder",
         {"", "/xdg", "/home/ann", "/home/ann/.local/bin", false},
         "/xdg/tallyvane/Tallyvane.ini"},
        {"installed, XDG set", {"", "/xdg", "/home/ann", "/usr/bin", false}, "/xdg/tallyvane/Tallyvane.ini"},
        {"installed, XDG with slash", {"", "/xdg/", "/home/ann", "/usr/bin", false}, "/xdg/tallyvane/Tallyvane.ini"},
        {"installed, XDG unset", {"", "", "/home/ann", "/usr/bin", false}, "/home/ann/.config/tallyvane/Tallyvane.ini"},
        {"installed, XDG relative",
         {"", "xdg", "/home/ann", "/usr/bin", false},
         "/home/ann/.config/tallyvane/Tallyvane.ini"},
        {"program folder unknown", {"", "", "/root", "", false}, "/root/.config/tallyvane/Tallyvane.ini"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseSettingsPath(c.surroundings), c.path) << c.name;
}

TEST(SettingsLocation, MakesARelativeVariableAbsolute)
{
    const char* const saved = std::getenv("TALLYVANE_INI");
    const std::string savedValue = saved ? saved : "";
    ::setenv("TALLYVANE_INI", "some/t.ini", 1);
    const std::string path = SettingsPath();
    if (saved)
        ::setenv("TALLYVANE_INI", savedValue.c_str(), 1);
    else
        ::unsetenv("TALLYVANE_INI");
    EXPECT_EQ(path, std::filesystem::current_path().string() + "/some/t.ini");
}

// An environment variable set for one test and put back afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name)
    {
        const char* saved = std::getenv(name);
        if (saved)
            m_saved = saved;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedVariable()
    {
        if (m_saved)
            ::setenv(m_name, m_saved->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_saved;
};

TEST(SettingsLocation, AWritableProgramFolderWithoutAFileIsNoPortableCopy)
{
    // The test program's own folder is the build tree: writable, and without a settings file.
    const std::filesystem::path programFolder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    ASSERT_EQ(::access(programFolder.c_str(), W_OK), 0);
    ASSERT_FALSE(std::filesystem::exists(programFolder / "Tallyvane.ini"));
    FixtureTree config;
    ScopedVariable noIni("TALLYVANE_INI", nullptr);
    ScopedVariable xdg("XDG_CONFIG_HOME", config.path().c_str());
    EXPECT_EQ(SettingsPath(), config.path() + "/tallyvane/Tallyvane.ini");

    // A file already there makes the folder a portable copy, used in place.
    WriteFileText((programFolder / "Tallyvane.ini").string(), "[Auto]\nAct=0\n");
    const std::string portable = SettingsPath();
    std::filesystem::remove(programFolder / "Tallyvane.ini");
    EXPECT_EQ(portable, (programFolder / "Tallyvane.ini").string());
}

} // namespace
} // namespace tallyvane

// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/ExcludePatterns.h"
#include "analysis/FolderScan.h"
#include "analysis/PreOrderWalk.h"
#include "platform/PosixFileSystem.h"
#include "support/ExcludeReference.h"
#include "support/FakeFileSystem.h"
#include "support/FixtureTree.h"
#include "support/TreeOutline.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tallyvane {
namespace {

using test::ExpectSizesAddUp;
using test::FakeFileSystem;
using test::file;
using test::FixtureTree;
using test::folder;
using test::folderOn;
using test::linkedFile;

class QuietHost final : public ScanHost {
public:
    void recordFetched() override {}
    bool stopRequested() const override { return false; }
    void folderEntered(const EntryTree& tree, EntryId folder) override { entered.insert(tree.EntryPath(folder)); }
    void entryCounted(std::uint32_t) override {}

    std::set<std::string> entered;
};

// The marked entries as "path mark", the mark E (excluded), O (other file system) or L (a link
// counted elsewhere); relative to the scanned folder when prefix is given.
std::set<std::string> marksOf(const EntryTree& tree, const std::string& prefix = {})
{
    std::set<std::string> marks;
    for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next()) {
        const std::uint32_t attributes = tree.attributes(walk.entry());
        const std::string path = tree.EntryPath(walk.entry()).substr(prefix.size());
        if (attributes & Attribute::Excluded)
            marks.insert(path + " E");
        if (attributes & Attribute::OtherFileSystem)
            marks.insert(path + " O");
        if (attributes & Attribute::LinkCountedElsewhere)
            marks.insert(path + " L");
    }
    return marks;
}

TEST(ExcludePatterns, MatchNamesOrPathsBelowTheScannedFolder)
{
    struct Case {
        std::vector<std::string> patterns;
        std::string path; // below the scanned folder
        bool folder;
        bool excluded;
    };
    const Case cases[] = {
        {{"*.o"}, "src/main.o", false, true},
        {{"*.o"}, "src/main.c", false, false},
        {{".cache"}, "home/.cache", true, true},
        {{"*cache"}, ".cache", true, true}, // a leading dot is an ordinary character
        {{"b?ild"}, "x/build", true, true},
        {{"[bc]uild"}, "cuild", false, true},
        {{"src/build"}, "src/build", true, true}, // a path: anchored at the scanned folder
        {{"src/build"}, "x/src/build", true, false},
        {{"/src"}, "src", true, true}, // a leading "/" changes nothing
        {{"/src"}, "x/src", true, false},
        {{"*/out"}, "src/build/out", false, false}, // "*" stops at a separator
        {{"*/*/out"}, "src/build/out", false, true},
        {{"cache/"}, "a/cache", true, true}, // a trailing "/": folders only
        {{"cache/"}, "a/cache", false, false},
        {{"a/cache/"}, "a/cache", true, true},
        {{"", "/", "//"}, "anything", true, false},                             // patterns for nothing
        {{"x", "*.tmp"}, "d/f.tmp", false, true},                               // any pattern of several
        {{"\xE7\xBC\x93\xE5\xAD\x98"}, "\xE7\xBC\x93\xE5\xAD\x98", true, true}, // bytes, "缓存"
        {{"*"}, "\xFF\xFE", false, true},                                       // a name that is not UTF-8
    };
    for (const Case& c : cases) {
        const ExcludePatterns patterns(c.patterns);
        const std::string name = c.path.substr(c.path.rfind('/') + 1);
        EXPECT_EQ(patterns.excludes(name, c.path, c.folder), c.excluded)
            << c.patterns.front() << " on " << c.path << (c.folder ? " (folder)" : "");
    }
    EXPECT_TRUE(ExcludePatterns({"", "/"}).empty());
    EXPECT_FALSE(ExcludePatterns({"*.o"}).needsPaths());
    EXPECT_TRUE(ExcludePatterns({"*.o", "a/b"}).needsPaths());
}

// Device 1 holds the scanned folder; "mnt" is another file system; "hard" and "src/hard" are two
// links of one file.
FakeFileSystem markedFileSystem()
{
    FakeFileSystem system;
    system.volume = {1, false, 0};
    system.addFolder("/r/",
                     {file("a.o", 10), linkedFile("hard", 100, 7, 2), folderOn("mnt", 2), folder("src"),
                      folder("cache"), file("keep", 1)});
    system.addFolder("/r/mnt/", {file("big", 1000)});
    system.addFolder("/r/src/",
                     {file("main.c", 5), file("main.o", 6), linkedFile("hard", 100, 7, 2),
                      linkedFile("other", 40, 8, 3), folder("build")});
    system.addFolder("/r/src/build/", {file("out", 50)});
    system.addFolder("/r/cache/", {file("c", 20)});
    return system;
}

// The lookups that spare most patterns a call to fnmatch must never change an answer.
TEST(ExcludePatterns, ManyPatternsTogetherMatchAsEachAlone)
{
    const std::vector<std::string> patterns = {
        "core",  ".git",    "a]",   "*.o",        "*",      "*~",      "lib*",  "?",     "a*b",   "[ab]c",   "*[0-9]",
        "\\*x",  "x\\",     "[a-",  "]x*",        "**",     "*cache*", "c?re",  "\\\\n", "src/*", "*/out",   "a/b",
        "a/*/c", "[s]rc/x", "/top", "src/b?ild/", "build/", "*.d/",    "lib*/", "*/*/",  "a/b/c", "x/[!y]z",
    };
    const std::vector<std::string> paths = {
        "core",       "src/core", ".git",  "a]",       "main.o",    "src/main.o", "f~",      "libz", "x/libz.so",
        "q",          "ab",       "acb",   "bc",       "v1",        "*x",         "x\\",     "[a-",  "]xy",
        "my.cache.d", "cure",     "\\n",   "src/a",    "src/a/b",   "a/out",      "a/b/out", "a/b",  "a/z/c",
        "a/z/z/c",    "src/x",    "top",   "x/top",    "src/build", "build",      "d/build", "x.d",  "lib",
        "x/yz",       "x/zz",     "a/b/c", "\xFF\xFE", "",
    };
    const ExcludePatterns all(patterns);
    for (const std::string& path : paths) {
        const std::string name = path.substr(path.rfind('/') + 1);
        for (const bool folder : {false, true}) {
            bool any = false;
            for (const std::string& pattern : patterns) {
                const bool expected = test::ReferenceExcludes(pattern, path, folder);
                any = any || expected;
                EXPECT_EQ(ExcludePatterns({pattern}).excludes(name, path, folder), expected)
                    << pattern << " on " << path << (folder ? " (folder)" : "");
            }
            EXPECT_EQ(all.excludes(name, path, folder), any) << path << (folder ? " (folder)" : "");
        }
    }
}

TEST(ScanOptions, EachOptionMarksWhatItLeavesOutAndTheTotalsAddUp)
{
    struct Case {
        const char* name;
        ScanOptions options;
        std::int64_t total;
        std::set<std::string> marks;
    };
    const Case cases[] = {
        {"every option off", {}, 1332, {}},
        {"one file system", {.oneFileSystem = true}, 332, {"/r/mnt/ O"}},
        {"links once", {.countLinksOnce = true}, 1232, {"/r/src/hard/ L"}},
        {"names", {.exclude = {"*.o"}}, 1316, {"/r/a.o/ E", "/r/src/main.o/ E"}},
        {"a folder by name", {.exclude = {"cache"}}, 1312, {"/r/cache/ E"}},
        {"a folder by path", {.exclude = {"src/build"}}, 1282, {"/r/src/build/ E"}},
        {"a path with a wildcard", {.exclude = {"/src/*.c"}}, 1327, {"/r/src/main.c/ E"}},
        {"no wildcard across a separator", {.exclude = {"*/out"}}, 1332, {}},
        {"folders only", {.exclude = {"keep/", "build/"}}, 1282, {"/r/src/build/ E"}},
        {"an excluded link is no first link", {.countLinksOnce = true, .exclude = {"/hard"}}, 1232, {"/r/hard/ E"}},
        {"everything",
         {.oneFileSystem = true, .countLinksOnce = true, .exclude = {"*.o", "src/build"}},
         166,
         {"/r/a.o/ E", "/r/mnt/ O", "/r/src/hard/ L", "/r/src/main.o/ E", "/r/src/build/ E"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFileSystem system = markedFileSystem();
        std::set<std::string> opened;
        system.beforeRecord = [&](const std::string& path, const std::string&) { opened.insert(path); };
        EntryTree tree;
        QuietHost host;
        FolderScanner scanner(tree, system, host, c.options);

        EXPECT_EQ(scanner.ScanFolder("/r/", NoEntry), c.total);
        EXPECT_EQ(marksOf(tree), c.marks);
        EXPECT_EQ(system.lastOptions.oneFileSystem, c.options.oneFileSystem);
        ExpectSizesAddUp(tree);
        for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next()) {
            const EntryId entry = walk.entry();
            if (!(tree.attributes(entry) & Attribute::ScanMarks))
                continue;
            const std::string path = tree.EntryPath(entry);
            EXPECT_EQ(tree.size(entry), 0) << path;
            // A marked folder is neither entered nor opened.
            EXPECT_EQ(tree.childCount(entry), 0u) << path;
            EXPECT_FALSE(host.entered.contains(path)) << path;
            EXPECT_FALSE(opened.contains(path)) << path;
        }
    }
}

TEST(ScanOptions, LinksOnceKeepsTheFactsOfEveryLinkBesideTheTree)
{
    FakeFileSystem system = markedFileSystem();
    EntryTree tree;
    QuietHost host;
    FolderScanner(tree, system, host, {.countLinksOnce = true}).ScanFolder("/r/", NoEntry);

    std::map<std::string, EntryTree::LinkFacts> facts;
    for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next()) {
        if (const EntryTree::LinkFacts* f = tree.linkFacts(walk.entry()))
            facts[tree.EntryPath(walk.entry())] = *f;
    }
    ASSERT_EQ(facts.size(), 3u);
    EXPECT_EQ(facts["/r/hard/"].inode, 7u);
    EXPECT_EQ(facts["/r/src/hard/"].size, 100); // its own length, though its entry counts 0
    EXPECT_EQ(facts["/r/src/hard/"].links, 2u);
    EXPECT_EQ(facts["/r/src/other/"].links, 3u);

    // Without the option nothing is kept.
    EntryTree plain;
    FolderScanner(plain, system, host).ScanFolder("/r/", NoEntry);
    for (PreOrderWalk walk(plain); !walk.atEnd(); walk.next())
        EXPECT_EQ(plain.linkFacts(walk.entry()), nullptr);
}

// A tmpfs mounted on a folder of a fixture, unmounted when it goes.
class TmpfsMount {
public:
    explicit TmpfsMount(const std::string& path) : m_path(path)
    {
        m_mounted = ::mount("tallyvane-test", path.c_str(), "tmpfs", 0, "size=1m") == 0;
    }
    ~TmpfsMount()
    {
        if (m_mounted)
            ::umount2(m_path.c_str(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

private:
    std::string m_path;
    bool m_mounted = false;
};

// du's total of path in bytes, with the options given; -1 when du cannot run.
std::int64_t duTotal(const std::string& options, const std::string& path)
{
    const std::string command = "du -s --apparent-size -B1 " + options + " '" + path + "' 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    long long total = -1;
    if (std::fscanf(pipe, "%lld", &total) != 1)
        total = -1;
    ::pclose(pipe);
    return total;
}

// The lengths of the folders the scan entered, which du counts and the scan does not: a
// folder's size is what is below it.
std::int64_t enteredFolderLengths(const EntryTree& tree)
{
    std::int64_t sum = 0;
    for (PreOrderWalk walk(tree); !walk.atEnd(); walk.next()) {
        const EntryId entry = walk.entry();
        struct stat st;
        if (tree.isFolder(entry) && !(tree.attributes(entry) & Attribute::ScanMarks)
            && ::lstat(tree.EntryPath(entry).c_str(), &st) == 0)
            sum += st.st_size;
    }
    return sum;
}

TEST(ScanOptions, RealTreeWithAMountHardLinksAndPatternsAgreesWithDu)
{
    FixtureTree fixture;
    fixture.makeFolder("a");
    fixture.makeFile("a/f", 1000);
    ASSERT_EQ(::link(fixture.pathOf("a/f").c_str(), fixture.pathOf("a/g").c_str()), 0); // in the same folder
    fixture.makeFolder("b");
    ASSERT_EQ(::link(fixture.pathOf("a/f").c_str(), fixture.pathOf("b/h").c_str()), 0); // across folders
    fixture.makeFile("b/solo", 300);
    fixture.makeFile("b/x.tmp", 9);
    fixture.makeFolder("skip");
    fixture.makeFile("skip/x", 77);
    fixture.makeFolder("mnt");
    TmpfsMount mount(fixture.pathOf("mnt"));
    if (!mount.mounted())
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    fixture.makeFolder("mnt/in");
    fixture.makeFile("mnt/in/big", 5000);

    struct Case {
        const char* name;
        ScanOptions options;
        std::int64_t total;
        std::set<std::string> marks; // below the fixture; links counted elsewhere are counted apart
        int linksElsewhere;
    };
    const Case cases[] = {
        {"every option off", {}, 3000 + 300 + 9 + 77 + 5000, {}, 0},
        {"one file system", {.oneFileSystem = true}, 3000 + 300 + 9 + 77, {"/mnt/ O"}, 0},
        {"links once", {.countLinksOnce = true}, 1000 + 300 + 9 + 77 + 5000, {}, 2},
        {"patterns",
         {.exclude = {"*.tmp", "skip", "mnt/in"}},
         3000 + 300,
         {"/b/x.tmp/ E", "/skip/ E", "/mnt/in/ E"},
         0},
        {"everything",
         {.oneFileSystem = true, .countLinksOnce = true, .exclude = {"*.tmp"}},
         1000 + 300 + 77,
         {"/mnt/ O", "/b/x.tmp/ E"},
         2},
    };
    for (const unsigned threads : {1u, 4u}) {
        PosixFileSystem system({.threads = threads});
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", threads " + std::to_string(threads));
            EntryTree tree;
            QuietHost host;
            FolderScanner scanner(tree, system, host, c.options);
            EXPECT_EQ(scanner.ScanFolder(fixture.path() + "/", NoEntry), c.total);
            std::set<std::string> marks = marksOf(tree, fixture.path());
            const auto links = std::erase_if(marks, [](const std::string& m) { return m.ends_with(" L"); });
            EXPECT_EQ(marks, c.marks);
            EXPECT_EQ(static_cast<int>(links), c.linksElsewhere);
            ExpectSizesAddUp(tree);
        }
    }

    // du counts each inode once unless -l, and the folders' own lengths, which the scan leaves out.
    PosixFileSystem system;
    for (const bool oneFileSystem : {false, true}) {
        for (const bool linksOnce : {false, true}) {
            SCOPED_TRACE(std::string(oneFileSystem ? "-x " : "") + (linksOnce ? "links once" : "-l"));
            EntryTree tree;
            QuietHost host;
            const std::int64_t total =
                FolderScanner(tree, system, host, {.oneFileSystem = oneFileSystem, .countLinksOnce = linksOnce})
                    .ScanFolder(fixture.path() + "/", NoEntry);
            const std::int64_t du =
                duTotal(std::string(oneFileSystem ? "-x " : "") + (linksOnce ? "" : "-l"), fixture.path());
            ASSERT_GE(du, 0) << "du did not run";
            EXPECT_EQ(total, du - enteredFolderLengths(tree));
        }
    }
}

} // namespace
} // namespace tallyvane
